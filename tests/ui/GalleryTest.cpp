// Every screen, light and dark, in every language. With TAVRILUX_UI_SNAPSHOT_DIR set, each
// picture is saved there for a person to look at.
#include "ScreenReading.h"
#include "SettingsHarness.h"

#include "ui/components/PrimaryButtonStyle.h"
#include "ui/foundation/Elision.h"
#include "ui/foundation/ShadowCache.h"
#include "ui/onboarding/ModeCard.h"
#include "ui/onboarding/ModePickerStep.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/onboarding/ProgressDots.h"
#include "ui/quickpanel/MultiScreenModeButton.h"
#include "ui/quickpanel/QuickPanelView.h"
#include "ui/settings/AboutPanelView.h"
#include "ui/settings/ContentView.h"
#include "ui/settings/GeneralTab.h"

#include <QDir>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

namespace tavrilux::ui {
namespace {

using Build = std::function<QWidget*()>;

// Keeps `model` for as long as `widget` lives.
template <typename Model> QWidget* with(std::unique_ptr<Model> model, QWidget* widget) {
    QObject::connect(widget, &QObject::destroyed, [kept = model.release()] { delete kept; });
    return widget;
}

// The quick panel as it opens: on two displays with neither a front application nor an active
// display, its glass effects folded; with an update, an excluded front application and display,
// the aura shape and a colour off the palette; and paused, with a front application and an
// active display that are not excluded, the ambient shape and the active display alone.
enum class PanelState { opening, busy, paused };

QWidget* quickPanel(PanelState state) {
    auto m = std::make_unique<testing::UiModel>();
    m->desktop.addScreen(1, Rect{0, 0, 1280, 800});
    m->desktop.addScreen(2, Rect{1280, 0, 1280, 800});
    m->standard->setBool(QuickPanelView::kGlassEffectsExpandedKey, state != PanelState::opening);
    if (state != PanelState::opening) {
        m->desktop.workspace.activate(RunningApplication{
            7, "org.example.Editor", "Text Editor", ActivationPolicy::regular,
            TAVRILUX_SOURCE_DIR "/resources/Tavrilux_Tavrilux.bundle/AppIcon.png"});
        m->desktop.queue.runUntilIdle();
        m->settings->setActiveScreenID(2);
    }
    if (state == PanelState::busy) {
        m->settings->applyMode(FocusMode::evening);
        m->settings->setOverlayColor(OverlayColor::black);
        m->settings->toggleExclusion("org.example.Editor");
        m->settings->toggleDisplayExclusion("2");
        m->updater.updateAvailability.set(UpdateAvailability::available("2.1"));
    }
    if (state == PanelState::paused) {
        m->settings->setIsEnabled(false);
        m->settings->setEffectMode(EffectMode::ambient);
        m->settings->setMultiScreenFocusMode(MultiScreenFocusMode::activeScreenOnly);
    }
    auto* panel = new QuickPanelView(m->context, nullptr, nullptr);
    panel->setHeightLimit(QWIDGETSIZE_MAX); // all of it, whatever the test screen's size
    return with(std::move(m), panel);
}

// The settings window on a tab, with or without exclusions of every kind, starting at login (or
// waiting for the user's approval to).
QWidget* settingsWindow(SettingsTab tab, bool withExclusions,
                        LoginItemStatus login = LoginItemStatus::enabled) {
    auto model = std::make_unique<testing::SettingsModel>();
    model->loginService.setStatus(login);
    model->desktop.addScreen(7, Rect{0, 0, 1280, 800}, "3F2A9C1E-0000-4000-8000-00000000DE11");
    model->applications.installed["editor"] = {"Text Editor", TAVRILUX_SOURCE_DIR
                                               "/resources/Tavrilux_Tavrilux.bundle/AppIcon.png"};
    model->applications.installed["broken"] = {"Broken Icon", "/nonexistent/icon.png"};
    for (const char* key : {"editor", "broken", "org.example.Missing"}) {
        withExclusions ? model->settings->toggleExclusion(key) : void();
    }
    for (const char* key : {"3F2A9C1E-0000-4000-8000-00000000DE11", "9B51D7A2-5C3E-4F11"}) {
        withExclusions ? model->settings->toggleDisplayExclusion(key) : void();
    }
    model->navigation.selectedTab.set(tab);
    auto* view = new ContentView(model->context, model->services);
    if (auto* general = qobject_cast<GeneralTab*>(view->tabContent())) {
        testing::render(*view, Appearance::light);
        EXPECT_TRUE(testing::waitFor([general] { return !general->isWaiting(); }));
    }
    return with(std::move(model), view);
}

const std::vector<std::pair<const char*, Build>>& gallery() {
    static const std::vector<std::pair<const char*, Build>> entries{
        {"quick_panel", [] { return quickPanel(PanelState::opening); }},
        {"quick_panel_busy", [] { return quickPanel(PanelState::busy); }},
        {"quick_panel_paused", [] { return quickPanel(PanelState::paused); }},
        {"settings_general", [] { return settingsWindow(SettingsTab::general, false); }},
        {"settings_general_approval",
         [] {
             return settingsWindow(SettingsTab::general, false, LoginItemStatus::requiresApproval);
         }},
        {"settings_exclusions", [] { return settingsWindow(SettingsTab::exclusions, true); }},
        {"settings_exclusions_empty",
         [] { return settingsWindow(SettingsTab::exclusions, false); }},
        {"settings_about", [] { return settingsWindow(SettingsTab::about, false); }},
        // A development build: no version of its own.
        {"about_panel", [] { return static_cast<QWidget*>(new AboutPanelView(std::nullopt)); }},
    };
    return entries;
}

// Whether a text comes from the installed table: a piece of one of its texts (a line of a
// wrapped one, either side of an ellipsis), or one of its texts whole with every "%@" filled by
// another of its texts, a number or a name of the user's own setup.
class TableTexts final {
public:
    explicit TableTexts(QStringList names) {
        for (const auto& [key, value] : LocalizationManager::shared().bundle().entries()) {
            names << QString::fromStdString(value);
        }
        QStringList fills{QStringLiteral("-?[0-9.]+"), QStringLiteral("—")};
        for (const QString& text : names) {
            fills << QRegularExpression::escape(text);
            // One line each: what is drawn is never more than a line.
            (text.contains(QStringLiteral("%@")) ? formatted_ : literals_) += text + '\n';
        }
        for (const QString& text : formatted_.split('\n', Qt::SkipEmptyParts)) {
            formats_.emplace_back(
                QRegularExpression::anchoredPattern(QRegularExpression::escape(text).replace(
                    QStringLiteral("\\%\\@"), "(?:" + fills.join('|') + ")")),
                QRegularExpression::CaseInsensitiveOption);
        }
    }

    bool contain(const QString& shown) const {
        for (QString piece : shown.split(QChar(0x2026))) {
            piece = piece.trimmed();
            if (std::any_of(piece.begin(), piece.end(),
                            [](QChar c) { return c.isLetterOrNumber(); }) &&
                !literals_.contains(piece, Qt::CaseInsensitive) &&
                std::none_of(formats_.begin(), formats_.end(),
                             [&](const auto& format) { return format.match(piece).hasMatch(); })) {
                return false;
            }
        }
        return true;
    }

private:
    QString literals_;
    QString formatted_;
    std::vector<QRegularExpression> formats_;
};

// Shows `look` every screen of the gallery, then every page of the onboarding, its preset page
// also once a card is tapped (named onboarding-<page>, and onboarding-2b).
void showEveryScreen(const std::function<void(const QString&, QWidget&, bool onboarding)>& look) {
    for (const auto& [name, build] : gallery()) {
        std::unique_ptr<QWidget> widget(build());
        look(name, *widget, false);
    }
    testing::UiModel model;
    OnboardingView onboarding(model.context, [](FocusMode) {});
    onboarding.resize(680, 500);
    for (int step = 0; step < OnboardingView::kPageCount; ++step) {
        look(QStringLiteral("onboarding-%1").arg(step), onboarding, true);
        if (auto* picker = qobject_cast<ModePickerStep*>(onboarding.page())) {
            QTest::mouseClick(picker->cards().back(), Qt::LeftButton);
            look(QStringLiteral("onboarding-2b"), onboarding, true);
        }
        QTest::mouseClick(onboarding.page()->findChild<PrimaryButtonStyle*>(), Qt::LeftButton);
    }
}

// Tells of every text cut short while it lives.
class CutWatch final {
public:
    explicit CutWatch(Elision::Watcher watcher) { Elision::setWatcher(std::move(watcher)); }
    ~CutWatch() { Elision::setWatcher({}); }
    CutWatch(const CutWatch&) = delete;
    CutWatch& operator=(const CutWatch&) = delete;
};

// Every screen of the gallery and every page of the onboarding (its preset page also once a
// card is tapped), light and dark, in every shipped language: a repaint draws the same from its
// caches, and all a screen draws and says is in the user's language. Pictures are saved as
// <name>-<appearance>.png, <name>-<language>-<appearance>.png.
TEST(GalleryTest, EveryScreenInEveryLanguageShowsOnlyItsTextsAndRepaintsFromItsCaches) {
    const QString folder = qEnvironmentVariable("TAVRILUX_UI_SNAPSHOT_DIR");
    QDir().mkpath(folder.isEmpty() ? QDir::tempPath() : folder);
    for (const std::string& language : testing::kShippedLanguages) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(testing::installLanguage(language));
        const TableTexts table({"Text Editor", "Broken Icon", "editor", "broken",
                                "org.example.Missing", "screen-1", "screen-2", "1.2.0", "2.1",
                                "dev", "3F2A9C1E-0000-4000-8000-00000000DE11",
                                "9B51D7A2-5C3E-4F11"});
        const QString suffix = language == "en" ? "" : "-" + QString::fromStdString(language);
        const auto look = [&](const QString& name, QWidget& widget, bool onboarding) {
            // The onboarding is dark whatever the desktop's appearance.
            for (Appearance appearance :
                 {onboarding ? Appearance::dark : Appearance::light, Appearance::dark}) {
                testing::render(widget, appearance);
                widget.adjustSize(); // to the rows' final layout
                const QImage first = testing::render(widget, appearance);
                const std::size_t renders = ShadowCache::shared().renderCount();
                const QImage again = testing::render(widget, appearance);
                EXPECT_EQ(ShadowCache::shared().renderCount(), renders) << name.toStdString();
                EXPECT_TRUE(onboarding || again == first) << name.toStdString(); // its blobs drift
                if (!folder.isEmpty()) {
                    first.save(QDir(folder).filePath(
                        name + suffix +
                        (appearance == Appearance::dark ? "-dark.png" : "-light.png")));
                }
            }
            const QStringList texts =
                testing::drawnTexts(widget) + testing::accessibleTexts(widget);
            EXPECT_GT(texts.size(), 3) << name.toStdString();
            const bool keyCaps = name == "settings_general" && language == "en";
            EXPECT_TRUE(!keyCaps || texts.join(' ').contains("Alt Super O")) << "the key caps";
            for (const QString& text : texts) {
                EXPECT_TRUE(table.contain(text))
                    << name.toStdString() << ": " << text.toStdString();
            }
            if (auto* view = qobject_cast<OnboardingView*>(&widget)) {
                // the page's dot in the accent
                const ProgressDots* dots = view->progressDots();
                const QPoint dot = dots->mapTo(view, dots->dotCentre(view->step())).toPoint();
                EXPECT_GT(testing::render(*view, Appearance::dark).pixelColor(dot).blue(), 200);
            }
        };
        showEveryScreen(look);
    }
}

// What each screen says fits where it says it: on every screen, light and dark, in every shipped
// language, no text is cut short.
TEST(GalleryTest, EveryTextFitsItsPlaceInEveryLanguage) {
    std::string where;
    const CutWatch watch([&where](const Elision::Cut& cut) {
        ADD_FAILURE() << where << ": \"" << cut.text.toStdString() << "\" needs " << cut.needed
                      << " px, has " << cut.width << " ("
                      << (cut.owner != nullptr ? cut.owner->metaObject()->className() : "a text")
                      << ")";
    });
    for (const std::string& language : testing::kShippedLanguages) {
        ASSERT_TRUE(testing::installLanguage(language));
        showEveryScreen([&](const QString& name, QWidget& widget, bool onboarding) {
            const std::string screen = language + " " + name.toStdString();
            for (Appearance appearance :
                 {onboarding ? Appearance::dark : Appearance::light, Appearance::dark}) {
                where = screen + (appearance == Appearance::dark ? " dark" : " light");
                testing::render(widget, appearance);
                widget.adjustSize();
                testing::render(widget, appearance);
            }
            // These titles take a second line rather than be cut; they are made for one.
            for (const auto* button : widget.findChildren<MultiScreenModeButton*>()) {
                EXPECT_LE(button->sizeHint().width(), button->width())
                    << screen << ": \"" << button->text().toStdString() << "\" takes two lines";
            }
        });
    }
}

} // namespace
} // namespace tavrilux::ui
