// The words that RegisterWords files besides the commands: the system words
// with their initial values and type texts, the words the interpreter keeps
// direct references to, the object word of the main window, the hidden command
// and the property names of GUI objects.
#pragma once
#include <cstddef>
#include <span>

namespace tama {

// Initial values that are worked out when the words are registered.
enum class TComputed : unsigned char {
  kNone,                  // the initial value is the text in the table
  kColorMenu,             // system colours, as decimal text: the menu colour
  kColorBackground,       //   the desktop background
  kColorActiveCaption,    //   the caption of the active window
  kColorInactiveCaption,  //   the caption of an inactive window
  kColorHighlight,        //   selected items
  kCommandLine,           // the command-line value of the program (no type text)
  kProgramFolder,         // folder part of the program's path with its final "\", or empty
  kRuntimeFolder,         // folder of the run-time's own executable, with a trailing "\"
  kDesktopFolder,         // shell folders, each with a trailing "\"
  kRecycleBinFolder,
  kDocumentsFolder,
  kStartMenuFolder,
  kStartupFolder,
  kSendToFolder,
  kWindowsFolder,
  kSystemFolder,
  kTempFolder,
  kFavoritesFolder,
  kOsName,                // the name of the operating system
  kScreenWidth,           // screen size in pixels, decimal
  kScreenHeight,
};

// A system word: a word of kind variable with Id -1. A read-only word is
// registered protected, so that assigning to it fails.
struct TSystemWordDef {
  const char* name;      // filed under exactly this name (no okurigana folding)
  bool readOnly;
  const char* initial;   // the initial Value; "" when `computed` says otherwise
  const char* typeText;  // stored in the Tag; only "s", "e" and "hs" carry a type
  TComputed computed;
};

// The 124 system words, in registration order.
std::span<const TSystemWordDef> SystemWordDefs();

// Words that commands read or write without a lookup. RegisterWords keeps a
// reference to each, refreshed on every run since the word table is refilled.
enum class TQuickWord : unsigned char {
  kSore,
  kSo,
  kKaisuu,
  kSoshite,
  kMoshi,  // the five words of conditions are commands
  kNaraba,
  kNara,
  kChigaeba,
  kDenakereba,
  kErrorMessage,
  kCannotQuit,
  kTabWidth,
  kLineStartForbidden,
  kMatchCount,
  kDialogCancelValue,
  kDialogIme,
  kDialogInitialValue,
  kTableFieldNames,
  kDisplayOutput,
  kTextColor,
  kTextSize,
  kTextFont,
  kPenColor,
  kPenWidth,
  kFillColor,
  kJpegQuality,
  kPartSpacing,
  kMouseX,
  kMouseY,
  kPressedKey,
  kPressedSpecialKeys,
  kEventObject,
  kEventValue,
  kBrowserAllowNavigate,
  kBrowserNextUrl,
  kPlayRepeat,
  kDbProvider,
  kDbDataSource,
  kDbUserId,
  kDbPassword,
  kPackOptions,
  kUnpackOptions,
  kSelfExtractOptions,
  kMailHost,
  kMailId,
  kMailPassword,
  kMailTitle,
  kMailBody,
  kMailAttachments,
  kMailTo,
  kMailBcc,
  kMailCc,
  kMailFrom,
  kMailSenderName,
  kMailDeleteFromServer,
  kFtpHost,
  kFtpUserId,
  kFtpPassword,
  kFtpMode,
  kTcpPort,
  kTcpService,
  kTcpText,
  kTcpPeer,
  kDdeFileName,
  kDdeText,
  kCount
};

struct TQuickWordDef {
  TQuickWord which;
  const char* name;  // a system word's exact name, or a command's name as written
  bool command;      // a command word (looked up under its folded name)
};

// One entry per TQuickWord, in the order of the enumeration.
std::span<const TQuickWordDef> QuickWordDefs();

// The object word of the main window: kind object, protected, Id = its object
// index 0, this Tag, empty Value and Pattern. Registered after the system words.
inline constexpr char kMainWindowWord[] = "母艦";
inline constexpr char kMainWindowTag[] = "メインフォーム";
inline constexpr int kMainWindowObject = 0;

// The hidden command (no arguments): its row stands in the word-table family,
// but RegisterWords files it after the system words, before 母艦.
inline constexpr char kHiddenCommand[] = "バレンタインデー";

// The 57 property names of GUI objects, indexed by property number. They are
// folded (okurigana) once at registration and compared in folded form.
std::span<const char* const> PropertyNames();

}  // namespace tama
