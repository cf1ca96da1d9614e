# Runs in a terminal for the tests of sending the output: reads one line with line editing
# (readline: the cursor keys, Delete, End) and writes it, percent-encoded, to the file given as
# the argument. The file holds "ready" as soon as the line editor reads the keys.
import readline
import sys
import urllib.parse


def write(text):
    with open(sys.argv[1], "w", encoding="utf-8") as out:
        out.write(text)


readline.set_startup_hook(lambda: write("ready"))
line = input()
write("line " + urllib.parse.quote(line, safe=""))
