#pragma once

#include "core/navigation/SettingsTab.h"
#include "ui/foundation/ModelObserver.h"
#include "ui/foundation/UiContext.h"
#include "ui/settings/SettingsServices.h"

#include <QWidget>

#include <string>
#include <vector>

class QHBoxLayout;
class QScrollArea;
class QSplitter;

namespace tavrilux::ui {

class SidebarRow;

// The settings window's content: a sidebar with one row per visible tab and, beside it, the
// selected tab's content on the theme background, scrolling when it is taller than the window.
// Both follow the navigation's selected tab, and a click on a row writes it. Changing the tab
// builds the new tab afresh and drops the old one with its state. Never smaller than 760 x 480;
// the sidebar stays between 180 and 240 points wide.
class ContentView final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMinimumWidth = 760;
    static constexpr int kMinimumHeight = 480;
    static constexpr int kSidebarMinimum = 180;
    static constexpr int kSidebarIdeal = 200;
    static constexpr int kSidebarMaximum = 240;

    ContentView(const UiContext& context, const SettingsServices& services,
                QWidget* parent = nullptr);

    SettingsTab shownTab() const { return shownTab_; }
    // The content of the shown tab.
    QWidget* tabContent() const { return tab_; }
    const std::vector<SidebarRow*>& sidebarRows() const { return rows_; }
    QWidget* sidebar() const { return sidebar_; }
    QSplitter* splitter() const { return splitter_; }
    // Applies a selection made while nothing was drawn, so a window shows the right tab at once.
    void catchUp();

protected:
    void paintEvent(QPaintEvent* event) override;
    // Page Up, Page Down, Home and End that the focused widget had no use for page through the
    // detail pane, wherever in the window the focus is.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void refresh();
    void showTab(SettingsTab tab);

    UiContext context_;
    SettingsServices services_;
    QSplitter* splitter_;
    QWidget* sidebar_;
    std::vector<SidebarRow*> rows_;
    QScrollArea* scroll_;
    QHBoxLayout* row_;
    QWidget* tab_ = nullptr;
    SettingsTab shownTab_ = SettingsTab::general;
    std::string language_;
    ModelObserver observer_{[this] { refresh(); }, this};
};

} // namespace tavrilux::ui
