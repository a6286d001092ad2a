#pragma once

// The game window's menu bar: Game, Options and Help with their items, mnemonics and the key
// texts P and L shown right-aligned. The key texts are only shown: P and L reach the game as
// ordinary key presses, and no item has a shortcut of its own.

#include <QMap>

#include <cstdint>
#include <functional>

class QAction;
class QMenuBar;

namespace wz {

// Fills the bar; each item calls onCommand with its identifier. Returns the items by identifier.
QMap<std::uint32_t, QAction*> BuildGameMenu(QMenuBar& bar,
                                            const std::function<void(std::uint32_t)>& onCommand);

} // namespace wz
