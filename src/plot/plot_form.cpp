#include "plot/plot_form.h"

#include "common/clock.h"
#include "common/cp1251.h"
#include "common/dialogs.h"
#include "common/safe_file.h"
#include "plot/plot_canvas.h"

#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>
#include <optional>

namespace trelvo {
namespace {

constexpr std::int64_t kConfirmMs = 20; // between the two looks at a part line that is due
constexpr std::int64_t kLegendMs = 500; // the legend's figures twice a second

QString U(const char* utf8) {
    return QString::fromUtf8(utf8);
}

QPushButton* Button(QWidget* parent, const char* name, const char* caption) {
    auto* b = new QPushButton(U(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TFormPlot::TFormPlot(Clock& clock, Dialogs& dialogs, std::function<void(PacketTap*)> attach, QWidget* colours,
                     QWidget* parent)
    : QWidget(parent, Qt::Window), clock_(clock), dialogs_(dialogs), attach_(std::move(attach)),
      colourSource_(colours) {
    setObjectName(QStringLiteral("FormPlot"));
    setWindowTitle(U("График"));
    resize(900, 520);

    Canvas = new PlotCanvas(store_, this);
    BTPause = Button(this, "BTPause", "Пауза");
    BTClear = Button(this, "BTClear", "Очистить");
    CBAutoScale = new QCheckBox(U("Автомасштаб"), this);
    CBAutoScale->setObjectName(QStringLiteral("CBAutoScale"));
    CBAutoScale->setChecked(true);
    CBAutoScale->setToolTip(U("Двойной клик по графику тоже возвращает автомасштаб"));
    CBXAxis = new QComboBox(this);
    CBXAxis->setObjectName(QStringLiteral("CBXAxis"));
    CBXAxis->addItems({U("Ось X: время, с"), U("Ось X: номер отсчёта")});
    CBSpan = new QComboBox(this);
    CBSpan->setObjectName(QStringLiteral("CBSpan"));
    CBSpan->addItems({U("Последние 10 с"), U("Последняя минута"), U("Последние 10 мин"), U("Всё сохранённое")});
    BTCsv = Button(this, "BTCsv", "CSV...");
    BTCsv->setToolTip(U("Сохранить точки в файл CSV"));
    BTPng = Button(this, "BTPng", "PNG...");
    BTPng->setToolTip(U("Сохранить картинку в файл PNG"));

    Legend = new QTreeWidget(this);
    Legend->setObjectName(QStringLiteral("Legend"));
    Legend->setRootIsDecorated(false);
    Legend->setColumnCount(4);
    Legend->setHeaderLabels({U("Ряд"), U("Последнее"), U("Мин."), U("Макс.")});
    Legend->setToolTip(U("Флажок скрывает или показывает ряд"));
    Legend->header()->setStretchLastSection(false);
    Legend->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    STValues = new QLabel(this);
    STValues->setObjectName(QStringLiteral("STValues"));
    STValues->setTextFormat(Qt::PlainText);
    STExtra = new QLabel(this);
    STExtra->setObjectName(QStringLiteral("STExtra"));
    STExtra->setTextFormat(Qt::PlainText);
    STExtra->hide();

    auto* tools = new QHBoxLayout;
    for (QWidget* w : std::initializer_list<QWidget*>{BTPause, BTClear, CBAutoScale, CBXAxis, CBSpan})
        tools->addWidget(w);
    tools->addStretch(1);
    tools->addWidget(BTCsv);
    tools->addWidget(BTPng);
    auto* split = new QSplitter(Qt::Horizontal, this);
    split->addWidget(Canvas);
    split->addWidget(Legend);
    split->setStretchFactor(0, 1);
    split->setSizes({640, 260});
    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(6, 6, 6, 6);
    column->addLayout(tools);
    column->addWidget(split, 1);
    column->addWidget(STValues);
    column->addWidget(STExtra);

    frameTimer_ = new QTimer(this);
    frameTimer_->setSingleShot(true);
    connect(frameTimer_, &QTimer::timeout, this, &TFormPlot::frame);
    connect(BTPause, &QPushButton::clicked, this, &TFormPlot::BTPauseClick);
    connect(BTClear, &QPushButton::clicked, this, &TFormPlot::BTClearClick);
    connect(BTCsv, &QPushButton::clicked, this, &TFormPlot::BTCsvClick);
    connect(BTPng, &QPushButton::clicked, this, &TFormPlot::BTPngClick);
    connect(CBAutoScale, &QCheckBox::toggled, Canvas, &PlotCanvas::setAutoScale);
    connect(Canvas, &PlotCanvas::autoScaleChanged, CBAutoScale, &QCheckBox::setChecked);
    connect(CBXAxis, &QComboBox::currentIndexChanged, this,
            [this](int i) { Canvas->setAxis(i == 1 ? PlotXAxis::Sample : PlotXAxis::Time); });
    connect(CBSpan, &QComboBox::currentIndexChanged, this, [this](int i) {
        static constexpr double kSpans[] = {10, 60, 600, 0};
        Canvas->setSpan(kSpans[std::clamp(i, 0, 3)]);
    });
    connect(Canvas, &PlotCanvas::hovered, STValues, &QLabel::setText);
    connect(Legend, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (column == 0) Canvas->setShown(Legend->indexOfTopLevelItem(item), item->checkState(0) == Qt::Checked);
    });
    connect(Legend, &QTreeWidget::itemClicked, this, [](QTreeWidgetItem* item, int column) {
        if (column != 0) item->setCheckState(0, item->checkState(0) == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    });

    chooseSavePath = [this](const QString& caption, const QString& filter) {
        return QFileDialog::getSaveFileName(this, caption, QString(), filter);
    };
    if (colourSource_) colourSource_->installEventFilter(this);
    takeColours();
}

// The main window, which owns the tap's listener slot, is gone already when its child windows are deleted.
TFormPlot::~TFormPlot() = default;

void TFormPlot::open() {
    show();
    raise();
    activateWindow();
}

void TFormPlot::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    const std::int64_t now = clock_.monotonicMs();
    if (originMs_ < 0) originMs_ = now;
    // What came while the plot was closed is not there: the curves break, and the line the device is in the middle
    // of is not taken for a whole one.
    if (!attached_) {
        lastSeconds_ = std::max(lastSeconds_, static_cast<double>(now - originMs_) / 1000.0);
        store_.addGap(lastSeconds_);
        splitter_.joinMidStream();
    }
    attached_ = true;
    if (attach_) attach_(this);
    legendDue_ = true;
    frame();
}

// Closed, nobody listens: what arrives meanwhile is not collected. Minimised, it still is.
void TFormPlot::closeEvent(QCloseEvent* e) {
    if (attach_) attach_(nullptr);
    attached_ = false;
    frameTimer_->stop();
    QWidget::closeEvent(e);
}

void TFormPlot::packetPlaced(std::string_view bytes, std::int64_t monotonicMs) {
    staleSeen_ = false;
    splitter_.feed(bytes, monotonicMs, [this](std::string_view line, std::int64_t at) { addLine(line, at); });
    scheduleFrame();
}

void TFormPlot::addLine(std::string_view line, std::int64_t placedMs) {
    if (ParsePlotLine(line, values_) == 0) return;
    // Placed times only grow; a clock that says otherwise does not send the curve back.
    lastSeconds_ = std::max(lastSeconds_, static_cast<double>(placedMs - originMs_) / 1000.0);
    const std::size_t extra = store_.extraNames().size();
    if (store_.add(lastSeconds_, values_)) {
        changed_ = true;
        ++newSamples_;
    }
    if (changed_ || store_.extraNames().size() != extra) legendDue_ = true;
}

// The next picture: paced by what came since the last one (PlotFrameGapMs), and none while nothing changes; a part
// line held for its end is ended when it is due. The pointer, a zoom and a pan repaint the canvas at once.
void TFormPlot::scheduleFrame() {
    const std::int64_t gap = PlotFrameGapMs(newSamples_, Canvas->scrollPixelsPerSecond(), Canvas->lastPaintMs());
    std::int64_t due = legendDue_ || changed_ ? lastFrameMs_ + gap : -1;
    const std::int64_t held = staleSeen_ ? clock_.monotonicMs() + kConfirmMs : splitter_.heldDueMs();
    if (held >= 0 && (due < 0 || held < due)) due = held;
    if (due < 0) return;
    const int ms = static_cast<int>(std::clamp<std::int64_t>(due - clock_.monotonicMs(), 0, 1000));
    if (!frameTimer_->isActive() || frameTimer_->remainingTime() > ms) frameTimer_->start(ms);
}

void TFormPlot::frame() {
    const std::int64_t now = clock_.monotonicMs();
    // A part line is ended by itself at the second look that finds it due: after the window's thread was held up,
    // the rest of the line may still wait in the port, and the receive path reads it in between.
    const std::int64_t held = splitter_.heldDueMs();
    if (held >= 0 && now >= held) {
        if (staleSeen_)
            splitter_.flushStale(now, [this](std::string_view line, std::int64_t at) { addLine(line, at); });
        staleSeen_ = !staleSeen_;
    }
    lastFrameMs_ = now;
    if (changed_ && !paused_) Canvas->update(); // a paused picture stands still
    changed_ = false;
    newSamples_ = 0;
    // The legend's figures at most every kLegendMs; a new series at once.
    if (legendDue_ && (now - lastLegendMs_ >= kLegendMs || Legend->topLevelItemCount() != store_.seriesCount())) {
        updateLegend();
        lastLegendMs_ = now;
        legendDue_ = false;
    }
    if (legendDue_) frameTimer_->start(static_cast<int>(kLegendMs - (now - lastLegendMs_)));
    if (splitter_.heldDueMs() >= 0) scheduleFrame();
}

void TFormPlot::updateLegend() {
    const QSignalBlocker quiet(Legend);
    for (int s = 0; s < store_.seriesCount(); ++s) {
        const PlotSeries& series = store_.series(s);
        QTreeWidgetItem* item = Legend->topLevelItem(s);
        if (!item) {
            item = new QTreeWidgetItem(Legend);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setCheckState(0, Qt::Checked);
            item->setText(0, FromCp1251(series.name));
            QPixmap swatch(12, 12);
            swatch.fill(Canvas->seriesColour(s));
            item->setIcon(0, swatch);
        }
        const QString texts[3] = {QString::fromStdString(PlotNumberText(series.last)),
                                  QString::fromStdString(PlotNumberText(series.min)),
                                  QString::fromStdString(PlotNumberText(series.max))};
        for (int c = 0; c < 3; ++c)
            if (item->text(c + 1) != texts[c]) item->setText(c + 1, texts[c]);
    }
    const auto& extra = store_.extraNames();
    STExtra->setVisible(!extra.empty());
    if (!extra.empty())
        STExtra->setText(U("Рядов больше %1; не показаны: %2").arg(PlotStore::kMaxSeries).arg(extra.size()));
}

void TFormPlot::BTPauseClick() {
    paused_ = !paused_;
    BTPause->setText(paused_ ? U("Продолжить") : U("Пауза"));
    // The picture stands at what is kept now; resuming jumps to the newest.
    Canvas->setStandAt(paused_ ? std::optional<double>(lastSeconds_) : std::nullopt);
}

void TFormPlot::BTClearClick() {
    store_.clear();
    splitter_.clear();
    Legend->clear();
    for (int s = 0; s < PlotStore::kMaxSeries; ++s)
        Canvas->setShown(s, true);
    originMs_ = clock_.monotonicMs();
    lastSeconds_ = 0;
    if (paused_) Canvas->setStandAt(0.0);
    STExtra->hide();
    Canvas->update();
}

void TFormPlot::writeFile(const QString& path, std::string_view bytes) {
    const FileResult r = WriteFileSafely(std::filesystem::path(path.toStdWString()), bytes);
    if (!r.ok) dialogs_.message("Не удалось записать файл " + path.toStdString() + ": " + r.reason);
}

void TFormPlot::BTCsvClick() {
    const QString path = chooseSavePath(U("Сохранить точки"), U("CSV (*.csv);;Все файлы (*)"));
    if (!path.isEmpty()) writeFile(path, PlotCsv(store_));
}

void TFormPlot::BTPngClick() {
    const QString path = chooseSavePath(U("Сохранить картинку"), U("PNG (*.png);;Все файлы (*)"));
    if (path.isEmpty()) return;
    QImage image(Canvas->size(), QImage::Format_RGB32);
    {
        QPainter p(&image);
        p.setFont(Canvas->font());
        Canvas->render(p, image.size());
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    writeFile(path, std::string_view(png.constData(), static_cast<std::size_t>(png.size())));
}

bool TFormPlot::eventFilter(QObject* watched, QEvent* event) {
    if (watched == colourSource_ && event->type() == QEvent::PaletteChange) takeColours();
    return QWidget::eventFilter(watched, event);
}

// The log's own background and text: the series are made to stand out on whichever scheme it shows.
void TFormPlot::takeColours() {
    if (!colourSource_) return;
    const QPalette source = colourSource_->palette();
    Canvas->setColours(source.color(QPalette::Base), source.color(QPalette::Text));
    QPalette legend = Legend->palette();
    legend.setColor(QPalette::Base, source.color(QPalette::Base));
    legend.setColor(QPalette::Text, source.color(QPalette::Text));
    Legend->setPalette(legend);
    for (int s = 0; s < Legend->topLevelItemCount(); ++s) {
        QPixmap swatch(12, 12);
        swatch.fill(Canvas->seriesColour(s));
        Legend->topLevelItem(s)->setIcon(0, swatch);
    }
}

} // namespace trelvo
