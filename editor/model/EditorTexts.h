#pragma once

// The editor's fixed texts. Every text is English, a line feed, then the same in Russian;
// message boxes carry the application title as their caption.

#include <string>
#include <string_view>

namespace wz {

inline constexpr std::string_view kEditorTitle = "WZolvikCreator";
inline constexpr std::string_view kDocumentTitle = "Sound & Music Update";
inline constexpr std::string_view kIdleStatus = "Ready";

inline constexpr std::string_view kStartMessage =
    "File WinData.stg missing, corrupt or using another application.\n"
    "(Файл WinData.stg отсутствует, поврежден или занят другим приложением.)";
inline constexpr std::string_view kOpenMessage =
    "Error: File WinData.stg missing, corrupt or using another application.\n"
    "(Ошибка: Файл WinData.stg отсутствует, поврежден или занят другим приложением.)";
inline constexpr std::string_view kScratchMessage =
    "Error: File WinData38746834.stg missing, corrupt or using another application.\n"
    "(Ошибка: Файл WinData38746834.stg отсутствует, поврежден или занят другим "
    "приложением.)";
// Both %s stand for the path of the source file that failed.
inline constexpr std::string_view kSourceMessage =
    "Error: Can't open or read file %s or out of memory !\n"
    "(Ошибка: Невозможно открыть или читать файл %s или не хватает памяти !)";
// Asked at Save before anything is written; %s stands for the lines "path: reason" of the
// files that failed the checks.
inline constexpr std::string_view kUnplayableQuestion =
    "These files will not play in the game:\n%s\nSave them anyway?\n"
    "(Эти файлы не будут работать в игре. Всё равно сохранить их?)";
// %s stands for the element's path in the asset file, such as "Images/Love3".
inline constexpr std::string_view kExportDamagedMessage =
    "Error: The stored element %s is damaged or can't be read, it is not exported.\n"
    "(Ошибка: Элемент %s поврежден или не читается, он не экспортирован.)";
// %s stands for the file the user chose.
inline constexpr std::string_view kExportWriteMessage =
    "Error: Can't write file %s !\n(Ошибка: Невозможно записать файл %s !)";
// %s stands for the picture the author brought; the reason follows on a line of its own.
inline constexpr std::string_view kFitFailedMessage =
    "Error: Can't fit picture %s to the game !\n(Ошибка: Невозможно подогнать картинку %s !)";
// %s stands for the lines "path: reason" of the pictures that could not be fitted.
inline constexpr std::string_view kFitAllFailedMessage =
    "These pictures could not be fitted:\n%s\n(Эти картинки не удалось подогнать.)";
inline constexpr std::string_view kDoneMessage =
    "File WinData.stg was updated.\nФайл WinData.stg обновлен.";
inline constexpr std::string_view kExplorerMessage =
    "Can't run Explorer, try it manually.\nНе удается запустить Проводник, запустите его "
    "вручную.";
inline constexpr std::string_view kGameMessage =
    "Can't run Game (WinZolvik.exe), try it manually.\nНе удается запустить Игру "
    "(WinZolvik.exe), запустите ее вручную.";
// Try in Game could not write its pack; %s stands for the temporary folder, and the reason
// follows on a line of its own.
inline constexpr std::string_view kTryPackMessage =
    "Error: Can't write the game to try in folder %s !\n"
    "(Ошибка: Невозможно записать игру для пробы в папку %s !)";
// Shown by the command guard when a command ends by an exception; %s is its reason.
inline constexpr std::string_view kCommandFailedMessage =
    "The command could not be completed: %s\n(Не удалось выполнить команду: %s)";

inline constexpr std::string_view kPicturesRoot = "Pictures (Картинки)";
inline constexpr std::string_view kMusicRoot = "Music (Музыка)";

// Replaces every "%s" of the pattern by the value. The value is never read as a pattern, so
// a path holding a percent sign comes out as it is.
std::string FillPlaceholders(std::string_view pattern, std::string_view value);

} // namespace wz
