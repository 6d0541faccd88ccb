#pragma once

#include <QString>

class QWidget;

// The message boxes every window uses. Each is modal over `parent` and
// returns when the user has answered it.
namespace MessageBoxes {

inline constexpr const char16_t* DeleteQuestion = u"削除してよろしいですか?";

// "削除してよろしいですか?" with Yes and No. True only for Yes: No, Escape and
// closing the box all keep everything as it was, so No is the default button.
bool confirmDelete(QWidget* parent);

inline constexpr const char16_t* CloseWhileEditingQuestion =
    u"編集中のデータは保存されていません。閉じてもよいですか？";

// "編集中のデータは保存されていません。閉じてもよいですか？" with Yes and No,
// No the default. True only for Yes.
bool confirmCloseWhileEditing(QWidget* parent);

// The program's own checks before saving: warning icon, OK.
void warning(QWidget* parent, const QString& text);

// An error that reached the top level: error icon, OK.
void error(QWidget* parent, const QString& text);

// Notices and errors caught while saving a slip: no icon, OK.
void plain(QWidget* parent, const QString& text);

}  // namespace MessageBoxes
