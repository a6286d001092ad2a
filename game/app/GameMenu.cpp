#include "GameMenu.h"

#include "MenuCommands.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include <iterator>

namespace wz {
namespace {

struct MenuItemSpec {
    const char* text;      // with its & mnemonic and, after a tab, the key text
    std::uint32_t command; // 0 for a separator
    bool checkable;
};

struct MenuSpec {
    const char* title;
    const MenuItemSpec* items;
    int count;
};

constexpr MenuItemSpec kGameItems[] = {
    {"&Start New Game", kCommandStartNewGame, false},
    {"&Pause Game\tP", kCommandPauseGame, true},
    {nullptr, 0, false},
    {"Game Sp&eed\tL", kCommandGameSpeed, false},
    {nullptr, 0, false},
    {"E&xit Game", kCommandExitGame, false},
};

constexpr MenuItemSpec kOptionItems[] = {
    {"&Sound", kCommandSound, true},
    {"&Music", kCommandMusic, true},
    {nullptr, 0, false},
    {"&Control", kCommandControl, false},
};

constexpr MenuItemSpec kHelpItems[] = {
    {"&About WinZolvik", kCommandAbout, false},
};

constexpr MenuSpec kMenus[] = {
    {"&Game", kGameItems, static_cast<int>(std::size(kGameItems))},
    {"&Options", kOptionItems, static_cast<int>(std::size(kOptionItems))},
    {"&Help", kHelpItems, static_cast<int>(std::size(kHelpItems))},
};

} // namespace

QMap<std::uint32_t, QAction*> BuildGameMenu(QMenuBar& bar,
                                            const std::function<void(std::uint32_t)>& onCommand) {
    QMap<std::uint32_t, QAction*> actions;
    for (const MenuSpec& menuTable : kMenus) {
        QMenu* menu = bar.addMenu(QString::fromLatin1(menuTable.title));
        for (int i = 0; i < menuTable.count; ++i) {
            const MenuItemSpec& item = menuTable.items[i];
            if (item.text == nullptr) {
                menu->addSeparator();
                continue;
            }
            QAction* action = menu->addAction(QString::fromLatin1(item.text));
            action->setCheckable(item.checkable);
            action->setData(item.command);
            const std::uint32_t command = item.command;
            QObject::connect(action, &QAction::triggered, action, [action, command, onCommand] {
                // The check mark belongs to the game, which sets it while it handles the
                // command; the menu's own toggle is undone first.
                if (action->isCheckable()) {
                    action->setChecked(!action->isChecked());
                }
                onCommand(command);
            });
            actions.insert(item.command, action);
        }
    }
    return actions;
}

} // namespace wz
