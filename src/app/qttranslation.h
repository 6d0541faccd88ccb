#pragma once

// Loads Qt's own Japanese translation (the texts of Qt's dialogs: Yes/No
// buttons, the file dialog, the print preview) from Qt's translations folder
// and installs it in the application. False when the translation is not
// installed there; the dialogs then speak English.
bool installQtTranslation();
