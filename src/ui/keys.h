#pragma once

class QKeyEvent;

// What a key means, decided once for every field, grid and dialog. The keypad
// modifier never changes a key's meaning: the keypad's arrows and Enter are the
// same keys as the main ones.
namespace Keys {

// Opens a field's list, calendar, calculator or lookup dialog: Alt+Down or F4.
bool isDropDown(const QKeyEvent* event);
// Enter, from the main keyboard or the keypad, without Ctrl, Alt or Shift.
bool isEnter(const QKeyEvent* event);

}  // namespace Keys
