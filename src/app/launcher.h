#pragma once

#include <QList>
#include <QString>

#include <span>

// What the main window offers, fixed at design time: the 26 functions with
// their page, list item and action, and the main menu built from the actions.
namespace Launcher {

struct Entry {
    int page;                     // 0..3: TabSheet1..TabSheet4
    const char16_t* caption;      // the list item's caption, the dispatch key
    const char16_t* description;  // shown only in a report view
    int icon;                     // index into the page's own icon list
    const char* action;           // objectName of the action, e.g. "ActionInputSales"
    const char16_t* menuCaption;  // the action's caption with its accelerator
};

struct Page {
    const char* sheet;           // "TabSheet1"
    const char16_t* tabCaption;  // the hidden tab's caption
    const char16_t* barCaption;  // the bar button's caption
    const char* barIcon;         // resource path of the bar button's icon
    const char* listView;        // "ListViewSlip"
    QList<const char*> icons;    // resource paths of the page's icon list
};

// A menu: its title and its items, each an action's objectName, or nullptr for
// a separator.
struct Menu {
    const char* name;
    const char16_t* title;
    QList<const char*> items;
};

std::span<const Entry> entries();
std::span<const Page> pages();
// The launcher menus, between "ファイル(&F)" and "ヘルプ(&H)".
std::span<const Menu> menus();

// The entry with this caption (exact comparison), or nullptr.
const Entry* findByCaption(const QString& caption);
const Entry* findByAction(const QString& actionName);

}  // namespace Launcher
