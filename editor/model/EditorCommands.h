#pragma once

// Command numbers, the menu, the toolbar and the keys of the editor, as fixed data. The frame
// builds its widgets from these tables; tests compare them word for word.

#include <array>
#include <string_view>

namespace wz {

enum CommandId : int {
    ID_VIEW_PICTURES = 32771,
    ID_VIEW_MUSIC = 32772,
    ID_VIEW_REVERT_CURRENT = 32773,
    ID_FILE_SAVE_CHANGES = 32785,
    ID_FILE_RESTORE = 32786,
    ID_VIEW_EXPLORER = 32790,
    ID_VIEW_ZOLVIK = 32791,
    ID_HELP_KEY = 32793,
    ID_VIEW_PREVIEW = 32794,
    ID_FILE_EXPORT = 32795,
    ID_FILE_CHOOSE = 32796,
    ID_FILE_FIT = 32797,
    ID_FILE_FIT_ALL = 32798,
    ID_VIEW_TRY = 32799,
    ID_FILE_NEW = 57600,
    ID_FILE_OPEN = 57601,
    ID_EDIT_COPY = 57634,
    ID_EDIT_CUT = 57635,
    ID_EDIT_PASTE = 57637,
    ID_EDIT_UNDO = 57643,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_NEXT_PANE = 57680,
    ID_PREV_PANE = 57681,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

inline constexpr int kSeparator = 0;

// One command's menu text and status prompt: the status-bar text, a line feed, the tooltip.
struct CommandText {
    int id;
    std::string_view menuText;
    std::string_view prompt;
};

inline constexpr std::array<CommandText, 17> kCommandTexts = {{
    {ID_FILE_RESTORE, "&Restore\tCtrl+R",
     "Restore last copy (Восстановить последнюю копию)\nRestore last copy (Восстановить "
     "последнюю копию)"},
    {ID_FILE_SAVE_CHANGES, "&Save\tCtrl+S",
     "Save the active document (Сохранить изменения)\nSave the active document (Сохранить "
     "изменения)"},
    {ID_FILE_EXPORT, "&Export… (Экспорт)",
     "Write the selected item to a file (Записать выбранный элемент в файл)\nExport "
     "(Экспорт)"},
    {ID_FILE_CHOOSE, "&Choose File… (Выбрать файл…)",
     "Choose a file for the selected item (Выбрать файл для выбранного элемента)\nChoose File "
     "(Выбрать файл)"},
    {ID_FILE_FIT, "&Fit to Game Picture… (Подогнать…)",
     "Crop and scale the selected picture to the game's size (Обрезать и масштабировать "
     "картинку под размер игры)\nFit to Game Picture (Подогнать)"},
    {ID_FILE_FIT_ALL, "Fit &All Pictures (Подогнать все)",
     "Fit every new picture the game cannot show (Подогнать все новые картинки, которые игра "
     "не покажет)\nFit All Pictures (Подогнать все)"},
    {ID_APP_EXIT, "E&xit", "Quit the application; prompts to save documents\nExit"},
    {ID_VIEW_PICTURES, "&Pictures (Картинки)\tF2",
     "Change pictures (Изменить картинки)\nChange pictures (Изменить картинки)"},
    {ID_VIEW_MUSIC, "&Music (Музыка)\tF3",
     "Change music (Изменить музыку\nChange music (Изменить музыку)"},
    {ID_VIEW_REVERT_CURRENT, "&Revert current (Восстановить текущее)",
     "Restore current items (Восстановить текущие элементы)\nRestore current items "
     "(Восстановить текущие элементы)"},
    {ID_VIEW_EXPLORER, "&Explorer (Проводник)\tF4",
     "Start Windows Explorer (Запустить Проводник)\nStart Windows Explorer (Запустить "
     "Проводник)"},
    {ID_VIEW_ZOLVIK, "&Zolvik (Золвик)\tF5",
     "Start Zolvik (Запустить Золвик)\nStart Zolvik (Запустить Золвик)"},
    {ID_VIEW_TRY, "&Try in Game (Попробовать в игре)\tCtrl+F5",
     "Play the changes in the game, at the selected level, without saving them (Сыграть "
     "изменения в игре, с выбранного уровня, не сохраняя их)\nTry in Game (Попробовать в "
     "игре)"},
    {ID_VIEW_TOOLBAR, "T&oolbar", "Show or hide the toolbar\nToggle ToolBar"},
    {ID_VIEW_STATUS_BAR, "&Status Bar", "Show or hide the status bar\nToggle StatusBar"},
    {ID_VIEW_PREVIEW, "Pre&view (Просмотр)",
     "Show or hide the preview of the selected item (Показать или скрыть просмотр "
     "выбранного элемента)\nPreview (Просмотр)"},
    {ID_APP_ABOUT, "&About WZolvikCreator...",
     "Display program information, version number and copyright\nAbout"},
}};

// The menu: three popups, kSeparator between groups.
struct MenuPopup {
    std::string_view title;
    std::array<int, 13> items; // ends at the first -1
};

inline constexpr std::array<MenuPopup, 3> kMenu = {{
    {"&File",
     {ID_FILE_RESTORE, ID_FILE_SAVE_CHANGES, kSeparator, ID_FILE_CHOOSE, ID_FILE_EXPORT, kSeparator,
      ID_FILE_FIT, ID_FILE_FIT_ALL, kSeparator, ID_APP_EXIT, -1}},
    {"&View",
     {ID_VIEW_PICTURES, ID_VIEW_MUSIC, kSeparator, ID_VIEW_REVERT_CURRENT, kSeparator,
      ID_VIEW_EXPLORER, ID_VIEW_ZOLVIK, ID_VIEW_TRY, kSeparator, ID_VIEW_TOOLBAR,
      ID_VIEW_STATUS_BAR, ID_VIEW_PREVIEW, -1}},
    {"&Help", {ID_APP_ABOUT, -1}},
}};

// The toolbar's ten entries; the pictures are drawn in the same order.
inline constexpr std::array<int, 10> kToolbar = {
    ID_FILE_SAVE_CHANGES,   ID_FILE_RESTORE, kSeparator,       ID_VIEW_PICTURES, ID_VIEW_MUSIC,
    ID_VIEW_REVERT_CURRENT, kSeparator,      ID_VIEW_EXPLORER, ID_VIEW_ZOLVIK,   ID_APP_ABOUT,
};

// The keys, in the stored order of the accelerator table (key texts as Qt reads them).
// Ctrl+S and Ctrl+R run Save and Restore, as their menu items show; the standard save of an
// empty document is bound to no key, so no key can write one over the asset file. The edit,
// help and pane keys reach commands that nothing handles and so do nothing.
struct KeyBinding {
    std::string_view key;
    int id;
};

inline constexpr std::array<KeyBinding, 20> kKeys = {{
    {"Ctrl+C", ID_EDIT_COPY},    {"Ctrl+N", ID_FILE_NEW},
    {"Ctrl+O", ID_FILE_OPEN},    {"Ctrl+S", ID_FILE_SAVE_CHANGES},
    {"Ctrl+V", ID_EDIT_PASTE},   {"Alt+Backspace", ID_EDIT_UNDO},
    {"Shift+Del", ID_EDIT_CUT},  {"F1", ID_HELP_KEY},
    {"F2", ID_VIEW_PICTURES},    {"F3", ID_VIEW_MUSIC},
    {"F4", ID_VIEW_EXPLORER},    {"F5", ID_VIEW_ZOLVIK},
    {"F6", ID_NEXT_PANE},        {"Shift+F6", ID_PREV_PANE},
    {"Ctrl+Ins", ID_EDIT_COPY},  {"Shift+Ins", ID_EDIT_PASTE},
    {"Ctrl+X", ID_EDIT_CUT},     {"Ctrl+Z", ID_EDIT_UNDO},
    {"Ctrl+R", ID_FILE_RESTORE}, {"Ctrl+F5", ID_VIEW_TRY},
}};

} // namespace wz
