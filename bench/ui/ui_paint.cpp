// Paints a settings group of six rows, the quick panel's glass-effects card (slider rows and
// the 36-swatch grid) and whole frames of the onboarding window into an offscreen image,
// repeatedly; and builds the whole quick panel and paints its first frame, as every opening does.
// Besides the time per frame it reports the heap allocations per frame, counted by this
// program's operator new: shadows, blurs and outlines come from caches, so what remains is Qt's
// own painting and text layout.
#include "core/theme/TavriluxTheme.h"
#include "ui/UiHarness.h"
#include "ui/components/CollapsibleGlassCard.h"
#include "ui/components/ColorSwatchRow.h"
#include "ui/components/PercentSliderRow.h"
#include "ui/components/SettingsActionRow.h"
#include "ui/components/SettingsGroupCard.h"
#include "ui/components/SliderRow.h"
#include "ui/components/ToggleRow.h"
#include "ui/foundation/Appearance.h"
#include "ui/foundation/ShadowCache.h"
#include "ui/foundation/SpringAnimator.h"
#include "ui/onboarding/OnboardingView.h"
#include "ui/quickpanel/QuickPanelView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <new>

namespace {
std::atomic<long> allocations{0};
} // namespace

void* operator new(std::size_t size) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1)) {
        return p;
    }
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace tavrilux::ui {
namespace {

std::unique_ptr<QWidget> settingsGroup() {
    auto card = std::make_unique<SettingsGroupCard>();
    for (int i = 0; i < 2; ++i) {
        auto* toggle =
            new ToggleRow("Automatic updates", "Download new versions in the background");
        toggle->setOn(i == 0);
        card->addWidget(toggle);
        card->addDivider();
        card->addWidget(new SettingsActionRow("Current version", QString("1.2.0"), "Check now"));
        card->addDivider();
    }
    auto* speed = new SliderRow("Appearance speed", "How fast it fades", 0.25, 2.0, "Fast", "Slow");
    speed->setValue(0.6);
    card->addWidget(speed);
    card->addDivider();
    auto* blur = new PercentSliderRow("Blur");
    blur->setValue(0.4);
    card->addWidget(blur);
    return card;
}

std::unique_ptr<QWidget> glassEffects() {
    auto card = std::make_unique<CollapsibleGlassCard>("Glass effects", true);
    const auto& palette = TavriluxTheme::glassColorSwatches();
    for (const char* title : {"Blur", "Tint"}) {
        auto* row = new PercentSliderRow(title);
        row->setValue(0.37);
        card->addWidget(row);
        card->addDivider();
    }
    auto* colours = new ColorSwatchRow("Glass color", {palette.begin(), palette.end()});
    colours->setSelection(palette[13].color);
    card->addWidget(colours);
    return card;
}

// Renders `widget` as it stands, once to fill the caches, then once per iteration.
void renderFrames(benchmark::State& state, QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    widget.render(&image); // the first frame fills the caches
    const long before = allocations.load();
    const std::size_t renders = ShadowCache::shared().renderCount();
    for (auto _ : state) {
        widget.render(&image);
        benchmark::DoNotOptimize(image.constBits());
    }
    state.counters["allocs_per_frame"] = benchmark::Counter(
        static_cast<double>(allocations.load() - before), benchmark::Counter::kAvgIterations);
    state.counters["blurs_after_first"] =
        static_cast<double>(ShadowCache::shared().renderCount() - renders);
    state.SetLabel(std::to_string(widget.width()) + "x" + std::to_string(widget.height()));
}

void paintFrames(benchmark::State& state, std::unique_ptr<QWidget> widget, int width) {
    widget->setPalette(paletteFor(state.range(0) ? Appearance::dark : Appearance::light));
    widget->setAttribute(Qt::WA_DontShowOnScreen);
    widget->setFixedWidth(width);
    widget->show();
    QCoreApplication::processEvents();
    widget->adjustSize();
    renderFrames(state, *widget);
}

void BM_SettingsGroupOfSixRows(benchmark::State& state) {
    paintFrames(state, settingsGroup(), 460);
}
BENCHMARK(BM_SettingsGroupOfSixRows)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_GlassEffectsCardWithSwatchGrid(benchmark::State& state) {
    paintFrames(state, glassEffects(), 320);
}
BENCHMARK(BM_GlassEffectsCardWithSwatchGrid)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// What the tray does on every click: build a new panel over the live model, lay it out, and
// paint its first frame (two displays, a front application, the aura shape).
void BM_QuickPanelBuiltAndFirstFramePainted(benchmark::State& state) {
    testing::UiModel model;
    model.desktop.addScreen(1, Rect{0, 0, 1280, 800});
    model.desktop.addScreen(2, Rect{1280, 0, 1280, 800});
    model.desktop.workspace.activate(
        RunningApplication{7, "org.example.Editor", "Text Editor", ActivationPolicy::regular, ""});
    model.desktop.queue.runUntilIdle();
    model.settings->applyMode(FocusMode::evening);
    // Hosted as the tray's popover window hosts it: a window that takes the panel's size.
    const auto open = [&] {
        QWidget window;
        window.setAttribute(Qt::WA_DontShowOnScreen);
        auto* layout = new QVBoxLayout(&window);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSizeConstraint(QLayout::SetFixedSize);
        auto* panel = new QuickPanelView(model.context, nullptr, nullptr);
        panel->setHeightLimit(772);
        layout->addWidget(panel);
        window.show();
        QCoreApplication::processEvents(); // the layout requests, as before a window's first paint
        QImage image(window.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        window.render(&image);
        benchmark::DoNotOptimize(image.constBits());
        return window.size();
    };
    open(); // fonts, glyph outlines and shadows are made once per process
    QSize size;
    for (auto _ : state) {
        size = open();
    }
    state.SetLabel(std::to_string(size.width()) + "x" + std::to_string(size.height()));
}
BENCHMARK(BM_QuickPanelBuiltAndFirstFramePainted)->Unit(benchmark::kMillisecond);

// A widget that opens a painter and draws nothing.
class BareWidget final : public QWidget {
public:
    void paintEvent(QPaintEvent*) override { QPainter painter(this); }
};

// The floor: as many bare child widgets as the glass-effects card has, each opening a painter
// and drawing nothing, so the allocations Qt's own widget painting needs per frame can be told
// apart from ours.
void BM_BareWidgetTreeOfTheSameSize(benchmark::State& state) {
    const auto children = glassEffects()->findChildren<QWidget*>().size();
    auto root = std::make_unique<QWidget>();
    auto* column = new QVBoxLayout(root.get());
    for (qsizetype i = 0; i < children; ++i) {
        auto* child = new BareWidget;
        child->setAttribute(Qt::WA_TranslucentBackground);
        child->setFixedHeight(4);
        column->addWidget(child);
    }
    paintFrames(state, std::move(root), 320);
}
BENCHMARK(BM_BareWidgetTreeOfTheSameSize)->Arg(0)->Unit(benchmark::kMicrosecond);

// One frame of the onboarding window on page `state.range(0)`, the blobs drifting between
// frames as they do on screen: what each tick of its motion costs to paint.
void BM_OnboardingWindowFrame(benchmark::State& state) {
    testing::UiModel model;
    SpringAnimator::setAnimationsEnabled(false); // each page at rest
    OnboardingView view(model.context, [](FocusMode) {});
    view.resize(680, 500);
    view.setPalette(paletteFor(Appearance::dark));
    view.setAttribute(Qt::WA_DontShowOnScreen);
    view.show();
    for (int page = 0; page < state.range(0); ++page) {
        view.page()->findChild<QAbstractButton*>()->click();
    }
    QCoreApplication::processEvents();
    renderFrames(state, view);
}
BENCHMARK(BM_OnboardingWindowFrame)->DenseRange(0, 3)->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tavrilux::ui

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
