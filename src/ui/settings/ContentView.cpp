#include "ui/settings/ContentView.h"

#include "core/localization/LocalizationManager.h"
#include "core/navigation/SettingsNavigation.h"
#include "core/theme/TavriluxTheme.h"
#include "ui/components/ScrollIndicator.h"
#include "ui/foundation/Appearance.h"
#include "ui/settings/AboutTab.h"
#include "ui/settings/ExclusionsTab.h"
#include "ui/settings/GeneralTab.h"
#include "ui/settings/SidebarRow.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QVBoxLayout>

namespace tavrilux::ui {

namespace {
constexpr int kTabMaximumWidth = 460;

// The sidebar's own tone: a step away from the content's background, as a source list is.
QColor sidebarColor(Appearance appearance) {
    return appearance == Appearance::dark ? QColor(38, 38, 43) : QColor(226, 227, 232);
}

// Shows what the content view paints behind it.
QWidget* seeThrough(QWidget* widget) {
    widget->setAutoFillBackground(false);
    return widget;
}
} // namespace

ContentView::ContentView(const UiContext& context, const SettingsServices& services,
                         QWidget* parent)
    : QWidget(parent), context_(context), services_(services), splitter_(new QSplitter),
      sidebar_(seeThrough(new QWidget)), scroll_(new QScrollArea) {
    setMinimumSize(kMinimumWidth, kMinimumHeight);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(splitter_);

    auto* list = new QVBoxLayout(sidebar_);
    list->setContentsMargins(10, 12, 10, 12);
    list->setSpacing(2);
    for (SettingsTab tab : visibleSettingsTabs()) {
        auto* row = new SidebarRow(tab);
        connect(row, &QAbstractButton::clicked, this,
                [this, tab] { context_.navigation.selectedTab.set(tab); });
        rows_.push_back(row);
        list->addWidget(row);
    }
    list->addStretch(1);
    sidebar_->setMinimumWidth(kSidebarMinimum);
    sidebar_->setMaximumWidth(kSidebarMaximum);

    auto* page = seeThrough(new QWidget);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(24, 24, 24, 24);
    // The tab takes the width up to its maximum, the stretch after it whatever is left.
    row_ = new QHBoxLayout;
    row_->addStretch(0);
    column->addLayout(row_);
    column->addStretch(1);
    scroll_->setWidget(page);
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Scroll indicators hidden: a thin thumb shows only while the pane scrolls.
    new ScrollIndicator(scroll_);
    seeThrough(scroll_);
    seeThrough(scroll_->viewport());

    splitter_->addWidget(sidebar_);
    splitter_->addWidget(scroll_);
    splitter_->setChildrenCollapsible(false);
    splitter_->setStretchFactor(0, 0);
    splitter_->setStretchFactor(1, 1);
    splitter_->setHandleWidth(1);
    splitter_->setSizes({kSidebarIdeal, kMinimumWidth});

    observer_.watch(context_.navigation.selectedTab);
    observer_.watch(context_.localization);
    language_ = context_.localization.resolvedLanguage();
    showTab(context_.navigation.selectedTab.get());
}

void ContentView::catchUp() {
    if (observer_.isPending()) {
        observer_.refreshNow();
    }
}

void ContentView::refresh() {
    const std::string language = context_.localization.resolvedLanguage();
    if (language != language_) {
        language_ = language;
        for (SidebarRow* row : rows_) {
            row->updateTitle();
        }
        showTab(context_.navigation.selectedTab.get());
    } else if (context_.navigation.selectedTab.get() != shownTab_) {
        showTab(context_.navigation.selectedTab.get());
    }
}

void ContentView::showTab(SettingsTab tab) {
    QWidget* content = nullptr;
    switch (tab) {
    case SettingsTab::general:
        content = new GeneralTab(context_, services_.loginItem);
        break;
    case SettingsTab::exclusions:
        content = new ExclusionsTab(context_, services_.applications);
        break;
    case SettingsTab::about:
        content = new AboutTab(context_, services_.version);
        break;
    }
    content->setMaximumWidth(kTabMaximumWidth);
    if (tab_) {
        row_->removeWidget(tab_);
        tab_->deleteLater();
        tab_->hide();
    }
    tab_ = content;
    shownTab_ = tab;
    row_->insertWidget(0, tab_, 1);
    scroll_->verticalScrollBar()->setValue(0);
    for (SidebarRow* row : rows_) {
        row->setSelected(row->tab() == tab);
    }
}

void ContentView::keyPressEvent(QKeyEvent* event) {
    // A key reaches here only once the focused widget and those around it let it pass: a text
    // field keeps Home and End for its cursor, a slider its ends.
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    QAbstractSlider::SliderAction action = QAbstractSlider::SliderNoAction;
    switch (plain ? event->key() : 0) {
    case Qt::Key_PageUp:
        action = QAbstractSlider::SliderPageStepSub;
        break;
    case Qt::Key_PageDown:
        action = QAbstractSlider::SliderPageStepAdd;
        break;
    case Qt::Key_Home:
        action = QAbstractSlider::SliderToMinimum;
        break;
    case Qt::Key_End:
        action = QAbstractSlider::SliderToMaximum;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    scroll_->verticalScrollBar()->triggerAction(action);
    event->accept();
}

void ContentView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const Appearance appearance = appearanceOf(this);
    const QRect side(0, 0, sidebar_->width(), height());
    painter.fillRect(rect(), resolve(TavriluxTheme::background, appearance));
    painter.fillRect(side, sidebarColor(appearance));
    painter.fillRect(QRect(side.right() + 1, 0, 1, height()),
                     resolve(TavriluxTheme::divider, appearance));
}

} // namespace tavrilux::ui
