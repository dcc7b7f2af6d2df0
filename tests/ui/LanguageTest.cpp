// Every screen, drawn in every shipped language, shows and says only texts of that language's
// table (and the names the user's own setup brings: applications, displays, versions).
#include "ScreenReading.h"
#include "SettingsHarness.h"

#include "ui/components/PrimaryButtonStyle.h"
#include "ui/onboarding/ModeCard.h"
#include "ui/onboarding/ModePickerStep.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/quickpanel/QuickPanelView.h"
#include "ui/settings/AboutPanelView.h"
#include "ui/settings/ContentView.h"
#include "ui/settings/GeneralTab.h"

#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

namespace tavrilux::ui {
namespace {

// Whether a text comes from the installed table: a piece of one of its texts (a line of a
// wrapped one, either side of an ellipsis), or one of its texts whole with every "%@" filled by
// another of its texts, a number or a name of the user's setup.
class TableTexts final {
public:
    explicit TableTexts(const QStringList& names) : literals_(names) {
        QStringList fillings{QStringLiteral("-?[0-9.]+"), QStringLiteral("—")};
        for (const auto& [key, value] : LocalizationManager::shared().bundle().entries()) {
            const QString text = QString::fromStdString(value);
            if (!text.contains(QStringLiteral("%@"))) {
                literals_ << text;
                fillings << QRegularExpression::escape(text);
            }
        }
        for (const QString& name : names) {
            fillings << QRegularExpression::escape(name);
        }
        const QString filling = "(?:" + fillings.join('|') + ")";
        for (const auto& [key, value] : LocalizationManager::shared().bundle().entries()) {
            const QString text = QString::fromStdString(value);
            if (text.contains(QStringLiteral("%@"))) {
                QStringList parts = text.split(QStringLiteral("%@"));
                for (QString& part : parts) {
                    part = QRegularExpression::escape(part);
                }
                formats_.emplace_back(QRegularExpression::anchoredPattern(parts.join(filling)),
                                      QRegularExpression::CaseInsensitiveOption);
            }
        }
    }

    bool contain(const QString& shown) const {
        for (QString piece : shown.split(QChar(0x2026))) {
            piece = piece.trimmed();
            const bool wordless = std::none_of(piece.begin(), piece.end(), [](QChar c) {
                return c.isLetterOrNumber();
            });
            const auto inside = [&](const QString& text) {
                return text.contains(piece, Qt::CaseInsensitive);
            };
            const auto fills = [&](const QRegularExpression& format) {
                return format.match(piece).hasMatch();
            };
            if (!wordless && std::none_of(literals_.begin(), literals_.end(), inside) &&
                std::none_of(formats_.begin(), formats_.end(), fills)) {
                return false;
            }
        }
        return true;
    }

private:
    QStringList literals_;
    std::vector<QRegularExpression> formats_;
};

// The setup every screen is drawn over: two displays (one excluded, one gone), applications
// installed, missing and excluded, an update to announce, a look off the palette.
void setUp(testing::SettingsModel& model, bool withFrontApplication) {
    model.desktop.addScreen(1, Rect{0, 0, 1280, 800}, "AAAA-1");
    model.desktop.addScreen(2, Rect{1280, 0, 1280, 800}, "BBBB-2");
    if (withFrontApplication) {
        model.desktop.workspace.activate(RunningApplication{
            7, "editor", "Text Editor", ActivationPolicy::regular, ""});
        model.settings->setActiveScreenID(2);
    }
    model.desktop.queue.runUntilIdle();
    model.applications.installed["editor"] = {"Text Editor", "/nonexistent/editor.png"};
    for (const char* key : {"editor", "org.example.Missing"}) {
        model.settings->toggleExclusion(key);
    }
    for (const char* key : {"BBBB-2", "9B51D7A2-5C3E-4F11-A0B0-0123456789AB"}) {
        model.settings->toggleDisplayExclusion(key);
    }
    model.settings->applyMode(withFrontApplication ? FocusMode::evening : FocusMode::focus);
    model.settings->setOverlayColor(OverlayColor::black);
    model.updater.updateAvailability.set(UpdateAvailability::available("2.1"));
    model.loginService.setStatus(LoginItemStatus::enabled);
}

const QStringList kSetupNames{"Text Editor", "editor", "org.example.Missing", "screen-1",
                              "screen-2",    "BBBB-2", "9B51D7A2-5C3E-4F11-A0B0-0123456789AB",
                              "1.2.0",       "2.1",    "dev"};

// Shows every screen as a user meets it to `look`, one picture after the other.
void showEveryScreen(testing::SettingsModel& busy, testing::SettingsModel& quiet,
                     const std::function<void(const std::string&, QWidget&)>& look) {
    const auto show = [&](const std::string& name, QWidget& widget) {
        testing::render(widget, Appearance::dark);
        look(name, widget);
    };
    for (testing::SettingsModel* model : {&busy, &quiet}) {
        QuickPanelView panel(model->context, nullptr, nullptr);
        panel.setHeightLimit(QWIDGETSIZE_MAX);
        show("quick panel", panel);
    }
    for (SettingsTab tab : {SettingsTab::general, SettingsTab::exclusions, SettingsTab::about}) {
        busy.navigation.selectedTab.set(tab);
        ContentView window(busy.context, busy.services);
        window.resize(820, 900);
        testing::render(window, Appearance::dark);
        if (auto* general = qobject_cast<GeneralTab*>(window.tabContent())) {
            EXPECT_TRUE(testing::answered(general));
        }
        show(std::string(rawValue(tab)) + " tab", window);
    }
    AboutPanelView about(std::string("1.2.0"));
    show("about panel", about);
    OnboardingView onboarding(busy.context, [](FocusMode) {});
    onboarding.resize(680, 500);
    for (int step = 0; step < OnboardingView::kPageCount; ++step) {
        show("onboarding page " + std::to_string(step), onboarding);
        if (auto* picker = qobject_cast<ModePickerStep*>(onboarding.page())) {
            ModeCard* evening = picker->cards().back();
            QTest::mouseClick(evening, Qt::LeftButton, {}, evening->rect().center());
            show("onboarding page 2, evening tapped", onboarding);
        }
        QTest::mouseClick(onboarding.page()->findChild<PrimaryButtonStyle*>(), Qt::LeftButton);
    }
}

TEST(LanguageTest, EveryScreenShowsAndSaysOnlyTextsOfTheUsersLanguage) {
    for (const std::string& language : testing::kShippedLanguages) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(testing::installLanguage(language));
        const TableTexts table(kSetupNames);
        testing::SettingsModel busy;
        testing::SettingsModel quiet;
        setUp(busy, true);
        setUp(quiet, false);
        showEveryScreen(busy, quiet, [&](const std::string& name, QWidget& screen) {
            QStringList texts = testing::drawnTexts(screen);
            texts << testing::accessibleTexts(screen);
            EXPECT_GT(texts.size(), 3) << name;
            for (const QString& text : texts) {
                EXPECT_TRUE(table.contain(text)) << name << ": " << text.toStdString();
            }
        });
    }
}

} // namespace
} // namespace tavrilux::ui
