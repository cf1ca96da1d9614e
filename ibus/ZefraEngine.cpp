#include "ZefraEngine.h"

#include <cstdio>
#ifdef ZEFRA_X11
#include <X11/XKBlib.h>
#endif

#include "LearnedWords.h"
#include "RomaneshComposer.h"
#include "SmartSpelling.h"

namespace {

// The words typed while English is on must not come out in capitals: the switch's own press
// turned Caps Lock on.
void TurnCapsLockOff() {
#ifdef ZEFRA_X11
  static Display* display = XOpenDisplay(nullptr);
  if (!display) return;
  XkbLockModifiers(display, XkbUseCoreKbd, LockMask, 0);
  XFlush(display);
#endif
}

// Caps Lock, among them, is the English switch.
bool IsModifierKey(guint keyval) {
  if (keyval == IBUS_KEY_Caps_Lock) return false;
  return (keyval >= IBUS_KEY_Shift_L && keyval <= IBUS_KEY_Hyper_R) ||
         (keyval >= IBUS_KEY_ISO_Lock && keyval <= IBUS_KEY_ISO_Level5_Lock) ||
         keyval == IBUS_KEY_Num_Lock || keyval == IBUS_KEY_Mode_switch;
}

TComposerKey KeyOf(guint keyval) {
  switch (keyval) {
    case IBUS_KEY_Return:
    case IBUS_KEY_KP_Enter:
      return TComposerKey::Enter;
    case IBUS_KEY_BackSpace:
      return TComposerKey::Backspace;
    case IBUS_KEY_Escape:
      return TComposerKey::Escape;
    case IBUS_KEY_Tab:
      return TComposerKey::Tab;
    case IBUS_KEY_Up:
    case IBUS_KEY_KP_Up:
      return TComposerKey::Up;
    case IBUS_KEY_Down:
    case IBUS_KEY_KP_Down:
      return TComposerKey::Down;
    case IBUS_KEY_Page_Up:
      return TComposerKey::PageUp;
    case IBUS_KEY_Page_Down:
      return TComposerKey::PageDown;
    case IBUS_KEY_Caps_Lock:
      return TComposerKey::CapsLock;
    default:
      return ibus_keyval_to_unicode(keyval) >= 0x20 ? TComposerKey::Character : TComposerKey::Other;
  }
}

TComposerEvent EventOf(guint keyval, guint state) {
  TComposerEvent event;
  event.Key = KeyOf(keyval);
  if (event.Key == TComposerKey::Character) event.Character = ibus_keyval_to_unicode(keyval);
  event.Shift = state & IBUS_SHIFT_MASK;
  event.Command = state & (IBUS_CONTROL_MASK | IBUS_MOD1_MASK | IBUS_SUPER_MASK | IBUS_MOD4_MASK);
  event.CapsLockOn = state & IBUS_LOCK_MASK;
  return event;
}

IBusText* TextOf(std::u16string_view text) {
  gchar* utf8 = g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(text.data()), glong(text.size()),
                                nullptr, nullptr, nullptr);
  IBusText* result = ibus_text_new_from_string(utf8 ? utf8 : "");
  g_free(utf8);
  return result;
}

constexpr char kModeProperty[] = "mode";
constexpr char kSmartProperty[] = "smart";
constexpr char kModernProperty[] = "modern";
constexpr char kOpenProperty[] = "open";

}  // namespace

struct ZefraEngine {
  IBusEngine parent;
  TRomaneshComposer* composer;
  IBusLookupTable* table;
  IBusPropList* properties;
  uint64_t generation;
};

struct ZefraEngineClass {
  IBusEngineClass parent;
};

G_DEFINE_TYPE(ZefraEngine, zefra_engine, IBUS_TYPE_ENGINE)

namespace {

ZefraEngine* Zefra(IBusEngine* engine) {
  return reinterpret_cast<ZefraEngine*>(engine);
}

// Shows the composer's state: what it committed, its pre-edit and its lookup table.
void Show(ZefraEngine* zefra) {
  IBusEngine* engine = &zefra->parent;
  TRomaneshComposer& composer = *zefra->composer;
  if (const std::u16string committed = composer.TakeCommitted(); !committed.empty())
    ibus_engine_commit_text(engine, TextOf(committed));

  const std::u16string& preedit = composer.Preedit();
  IBusText* text = TextOf(preedit);
  const guint length = ibus_text_get_length(text);
  ibus_text_append_attribute(text, IBUS_ATTR_TYPE_UNDERLINE, IBUS_ATTR_UNDERLINE_SINGLE, 0, length);
  // A program that loses the focus keeps the pre-edit as the word's Persian.
  ibus_engine_update_preedit_text_with_mode(engine, text, length, !preedit.empty(),
                                            IBUS_ENGINE_PREEDIT_COMMIT);

  const auto& candidates = composer.Candidates();
  if (candidates.empty()) {
    ibus_engine_hide_lookup_table(engine);
    ibus_engine_hide_auxiliary_text(engine);
    return;
  }
  // Said before the choice, not after it: a choice that cannot be kept is still typed.
  const std::string note = LearningNote(EngineHost().Files.WindowLock);
  ibus_engine_update_auxiliary_text(engine, ibus_text_new_from_string(note.c_str()), !note.empty());
  ibus_lookup_table_clear(zefra->table);
  for (const TComposerCandidate& candidate : candidates)
    ibus_lookup_table_append_candidate(zefra->table, TextOf(candidate.Persian));
  ibus_lookup_table_set_cursor_pos(zefra->table, guint(composer.CandidateCursor()));
  ibus_engine_update_lookup_table(engine, zefra->table, TRUE);
}

IBusProperty* NewProperty(const char* key, IBusPropType type, const char* label, bool on) {
  return ibus_property_new(key, type, ibus_text_new_from_string(label), nullptr, nullptr, TRUE,
                           TRUE, on ? PROP_STATE_CHECKED : PROP_STATE_UNCHECKED, nullptr);
}

IBusPropList* NewProperties(const TRomaneshComposer& composer) {
  IBusPropList* list = ibus_prop_list_new();
  ibus_prop_list_append(list, NewProperty(kModeProperty, PROP_TYPE_NORMAL,
                                          composer.English() ? "English" : "Persian", false));
  ibus_prop_list_append(
      list, NewProperty(kSmartProperty, PROP_TYPE_TOGGLE, "Smart spelling", SmartSpelling));
  ibus_prop_list_append(list, NewProperty(kModernProperty, PROP_TYPE_TOGGLE, "Modern orthography",
                                          ModernOrthography));
  ibus_prop_list_append(list, NewProperty(kOpenProperty, PROP_TYPE_NORMAL, "Open Zefra", false));
  return list;
}

void ShowProperties(ZefraEngine* zefra) {
  if (zefra->properties) g_object_unref(zefra->properties);
  zefra->properties = NewProperties(*zefra->composer);
  g_object_ref_sink(zefra->properties);
  ibus_engine_register_properties(&zefra->parent, zefra->properties);
}

void OpenZefra() {
  const std::string program = EngineHost().Files.ProgramDir + "/zefra";
  gchar* argv[] = {const_cast<gchar*>(program.c_str()), nullptr};
  GError* error = nullptr;
  if (!g_spawn_async(nullptr, argv, nullptr, G_SPAWN_DEFAULT, nullptr, nullptr, nullptr, &error)) {
    Log("cannot start " + program + ": " + error->message);
    g_error_free(error);
  }
}

// A spelling chosen over the rules' is kept in the dictionary, as the window keeps it.
void KeepLearned(ZefraEngine* zefra) {
  const std::optional<TLearnedWord> learned = zefra->composer->TakeLearned();
  if (!learned) return;
  const TSharedFiles& files = EngineHost().Files;
  const std::string refused = StoreLearnedWord(files.Dictionary, files.WindowLock, *learned);
  if (refused.empty())
    EngineHost().DictionaryWritten();
  else
    Log(refused);
}

// The window may have saved its files since: they are looked at as each word starts, which is
// cheaper than a key's work and needs no watch on folders that may not exist yet. A word
// pending when the options changed is shown converted anew.
void CatchUp(ZefraEngine* zefra) {
  if (zefra->composer->Preedit().empty()) EngineHost().ReloadIfChanged();
  if (zefra->generation == EngineHost().Generation) return;
  zefra->generation = EngineHost().Generation;
  zefra->composer->Refresh();
}

gboolean ProcessKeyEvent(IBusEngine* engine, guint keyval, guint /*keycode*/, guint state) {
  ZefraEngine* zefra = Zefra(engine);
  if ((state & IBUS_RELEASE_MASK) || IsModifierKey(keyval)) return FALSE;
  CatchUp(zefra);
  const TComposerEvent event = EventOf(keyval, state);
  const bool wasEnglish = zefra->composer->English();
  const bool handled = zefra->composer->Handle(event);
  KeepLearned(zefra);
  if (zefra->composer->English() != wasEnglish) {
    TurnCapsLockOff();
    ShowProperties(zefra);
  }
  Show(zefra);
  return handled;
}

void GainFocus(IBusEngine* engine) {
  ZefraEngine* zefra = Zefra(engine);
  CatchUp(zefra);
  ShowProperties(zefra);
  Show(zefra);
}

// The program keeps the pre-edit (its commit mode) or drops it; the word is done either way.
void ForgetWord(IBusEngine* engine) {
  Zefra(engine)->composer->Clear();
  ibus_engine_hide_lookup_table(engine);
}

void PropertyActivate(IBusEngine* engine, const gchar* name, guint state) {
  ZefraEngine* zefra = Zefra(engine);
  const std::string_view property = name;
  TEngineHost& host = EngineHost();
  if (property == kModeProperty) {
    zefra->composer->SetEnglish(!zefra->composer->English());
  } else if (property == kSmartProperty) {
    host.Smart = state == PROP_STATE_CHECKED;
    host.ApplySessionOptions();
  } else if (property == kModernProperty) {
    host.Modern = state == PROP_STATE_CHECKED;
    host.ApplySessionOptions();
  } else if (property == kOpenProperty) {
    OpenZefra();
    return;
  }
  CatchUp(zefra);
  ShowProperties(zefra);
  Show(zefra);
}

void CandidateClicked(IBusEngine* engine, guint index, guint /*button*/, guint /*state*/) {
  ZefraEngine* zefra = Zefra(engine);
  const size_t page = ibus_lookup_table_get_page_size(zefra->table);
  const size_t at = ibus_lookup_table_get_cursor_pos(zefra->table) / page * page + index;
  if (at >= zefra->composer->Candidates().size()) return;
  zefra->composer->ChooseCandidate(at);
  KeepLearned(zefra);
  Show(zefra);
}

void Finalize(GObject* object) {
  ZefraEngine* zefra = reinterpret_cast<ZefraEngine*>(object);
  delete zefra->composer;
  g_object_unref(zefra->table);
  if (zefra->properties) g_object_unref(zefra->properties);
  G_OBJECT_CLASS(zefra_engine_parent_class)->finalize(object);
}

}  // namespace

static void zefra_engine_init(ZefraEngine* zefra) {
  zefra->composer = new TRomaneshComposer;
  zefra->table = ibus_lookup_table_new(TRomaneshComposer::kPageSize, 0, TRUE, TRUE);
  g_object_ref_sink(zefra->table);
  zefra->properties = nullptr;
  zefra->generation = EngineHost().Generation;
}

static void zefra_engine_class_init(ZefraEngineClass* type) {
  G_OBJECT_CLASS(type)->finalize = Finalize;
  IBusEngineClass* engine = IBUS_ENGINE_CLASS(type);
  engine->process_key_event = ProcessKeyEvent;
  engine->focus_in = GainFocus;
  engine->focus_out = ForgetWord;
  engine->reset = ForgetWord;
  engine->disable = ForgetWord;
  engine->property_activate = PropertyActivate;
  engine->candidate_clicked = CandidateClicked;
}
