#include "selection/SmartCutWnd.h"

#include "editor/LoadingWnd.h"
#include "editor/PageListBox.h"
#include "editor/PicMovieWnd.h"
#include "platform/aic_alpha_image.h"
#include "platform/dialogs.h"
#include "platform/file_helpers.h"
#include "selection/SmartCutResultWnd.h"
#include "selection/selection_run.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>

#include <algorithm>
#include <limits>

namespace kinoleaf {
namespace {

const QColor kTickedBorder(0, 128, 0);
const QColor kTickedFill(0, 255, 0);

// The colour of a band that is not ticked, as the system paints the border
// of an inactive window.
QColor inactiveBorder(const QWidget* w) { return w->palette().color(QPalette::Inactive, QPalette::Mid); }

qint16 to16(qsizetype value) {
    return qint16(std::clamp<qsizetype>(value, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()));
}

} // namespace

StoryBar::StoryBar(QWidget* parent) : QWidget(parent) {
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_border = m_fill = inactiveBorder(this);
}

void StoryBar::setColors(const QColor& border, const QColor& fill) {
    if (border == m_border && fill == m_fill) return;
    m_border = border;
    m_fill = fill;
    update();
}

void StoryBar::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_fill);
    painter.setPen(m_border);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

SmartCutWnd::SmartCutWnd(PicMovieWnd* owner)
    : ToolWnd(owner, true), m_wnd(owner), m_result(new SmartCutResultWnd(owner, this)) {
    setObjectName(QStringLiteral("SmartCutWnd"));
    setWindowTitle(QStringLiteral("自动筛选图片"));
    buildControls();
}

SmartCutWnd::~SmartCutWnd() { delete m_result; }

QSize SmartCutWnd::sizeHint() const { return {1040, 720}; }

void SmartCutWnd::buildControls() {
    auto named = [](QWidget* w, const QString& name) {
        w->setObjectName(name);
        return w;
    };
    auto label = [this](const QString& text) { return new QLabel(text, this); };
    auto box = [&named, this](QLineEdit*& edit, const char* name, const QString& text) {
        edit = new QLineEdit(text, this);
        named(edit, QLatin1String(name));
        edit->installEventFilter(this);  // its LostFocus
    };
    auto check = [&named, this](QCheckBox*& c, const char* name, const QString& text) {
        c = new QCheckBox(text, this);
        named(c, QLatin1String(name));
    };

    // 筛选规则
    FrameRules = new QGroupBox(QStringLiteral("筛选规则"), this);
    named(FrameRules, QStringLiteral("FrameRules"));
    box(TextImgCutRest, "TextImgCutRest", QStringLiteral("1"));
    TextImgCutRest->setMaximumWidth(90);
    LabelCutSize = new QLabel(QStringLiteral("（1-3000）张"), this);
    named(LabelCutSize, QStringLiteral("LabelCutSize"));
    ComboCutWay = new QComboBox(this);
    named(ComboCutWay, QStringLiteral("ComboCutWay"));
    ComboCutWay->addItems({QStringLiteral("线性均分"), QStringLiteral("曲线抽样")});
    check(CheckKeepStartEnd, "CheckKeepStartEnd", QStringLiteral("保留片头片尾"));
    check(CheckKeepHaveIntro, "CheckKeepHaveIntro", QStringLiteral("保留含有解说的行"));
    check(CheckKeepSel, "CheckKeepSel", QStringLiteral("保留均衡"));
    // The subtitle controls do nothing; they stay as the window shows them.
    check(CheckSelSrt, "CheckSelSrt", QStringLiteral("选中字幕"));
    CheckSelSrt->setEnabled(false);
    BtnInputSrt = new QPushButton(QStringLiteral("导入Srt字幕"), this);
    named(BtnInputSrt, QStringLiteral("BtnInputSrt"));
    TextSrtUrl = new QLineEdit(this);
    named(TextSrtUrl, QStringLiteral("TextSrtUrl"));
    BtnStartCut = new QPushButton(QStringLiteral("开始筛选"), this);
    named(BtnStartCut, QStringLiteral("BtnStartCut"));
    BtnStartCut->setMinimumSize(120, 36);
    for (QPushButton* b : {BtnInputSrt, BtnStartCut}) b->setAutoDefault(false);

    // 剧情偏重（仅曲线抽样可用）
    FrameStory = new QGroupBox(QStringLiteral("剧情偏重（仅曲线抽样可用）"), this);
    named(FrameStory, QStringLiteral("FrameStory"));
    auto* bands = new QGridLayout;
    bands->setHorizontalSpacing(4);
    for (int i = 0; i < kBands; ++i) {
        const QString k = QString::number(i + 1);
        LabelStory[i] = new QLabel(QStringLiteral("%1%").arg((i + 1) * 10), this);
        named(LabelStory[i], QStringLiteral("LabelStory_") + k);
        LabelStory[i]->setAlignment(Qt::AlignCenter);
        ShapeStory[i] = new StoryBar(this);
        named(ShapeStory[i], QStringLiteral("ShapeStory_") + k);
        CheckStory[i] = new QCheckBox(this);
        named(CheckStory[i], QStringLiteral("CheckStory_") + k);
        BtnStory[i] = new QPushButton(QStringLiteral("⊙"), this);
        named(BtnStory[i], QStringLiteral("BtnStory_") + k)->setFixedWidth(30);
        BtnStory[i]->setAutoDefault(false);
        bands->addWidget(LabelStory[i], 0, i);
        bands->addWidget(ShapeStory[i], 1, i);
        bands->addWidget(CheckStory[i], 2, i, Qt::AlignCenter);
        bands->addWidget(BtnStory[i], 3, i, Qt::AlignCenter);
        connect(CheckStory[i], &QCheckBox::clicked, this, [this, i] { CheckStory_k_Click(i + 1); });
        connect(BtnStory[i], &QPushButton::clicked, this, [this, i] { BtnStory_k_Click(i + 1); });
    }
    box(TextMinPieceSize, "TextMinPieceSize", QStringLiteral("0"));
    box(TextMaxPieceSize, "TextMaxPieceSize", QStringLiteral("20"));
    auto* gaps = new QHBoxLayout;
    gaps->addWidget(label(QStringLiteral("最小间隔：")));
    gaps->addWidget(TextMinPieceSize);
    gaps->addSpacing(16);
    gaps->addWidget(label(QStringLiteral("最大间隔：")));
    gaps->addWidget(TextMaxPieceSize);
    gaps->addStretch(1);
    auto* story = new QVBoxLayout(FrameStory);
    story->addLayout(bands);
    story->addLayout(gaps);

    auto* rules = new QGridLayout(FrameRules);
    rules->addWidget(label(QStringLiteral("筛选出图片：")), 0, 0);
    rules->addWidget(TextImgCutRest, 0, 1);
    rules->addWidget(LabelCutSize, 0, 2);
    rules->addWidget(label(QStringLiteral("筛选方式：")), 1, 0);
    rules->addWidget(ComboCutWay, 1, 1, 1, 2, Qt::AlignLeft);
    auto* keeps = new QHBoxLayout;
    keeps->addWidget(CheckKeepStartEnd);
    keeps->addWidget(CheckKeepHaveIntro);
    keeps->addWidget(CheckKeepSel);
    keeps->addStretch(1);
    rules->addLayout(keeps, 2, 0, 1, 3);
    auto* srt = new QHBoxLayout;
    srt->addWidget(CheckSelSrt);
    srt->addWidget(BtnInputSrt);
    srt->addWidget(TextSrtUrl, 1);
    rules->addLayout(srt, 3, 0, 1, 3);
    rules->addWidget(FrameStory, 4, 0, 1, 3);
    rules->addWidget(BtnStartCut, 5, 0, 1, 3, Qt::AlignRight);
    rules->setColumnStretch(2, 1);

    // The untitled frame with the counts
    FrameInfo = new QGroupBox(this);
    named(FrameInfo, QStringLiteral("FrameInfo"));
    LabelImgTotal = new QLabel(QStringLiteral("全部图片共计：0 张"), this);
    named(LabelImgTotal, QStringLiteral("LabelImgTotal"));
    LabelImgHaveIntro = new QLabel(QStringLiteral("含有解说的行：0 张"), this);
    named(LabelImgHaveIntro, QStringLiteral("LabelImgHaveIntro"));
    LabelImgSelected = new QLabel(QStringLiteral("选中保留的行：0 张"), this);
    named(LabelImgSelected, QStringLiteral("LabelImgSelected"));
    LogMsgText = new QPlainTextEdit(this);
    named(LogMsgText, QStringLiteral("LogMsgText"));
    LogMsgText->setReadOnly(true);  // nothing writes to it
    LogMsgText->setFixedHeight(LogMsgText->fontMetrics().lineSpacing() * 3 + 12);
    auto* info = new QVBoxLayout(FrameInfo);
    info->addWidget(LabelImgTotal);
    info->addWidget(LabelImgHaveIntro);
    info->addWidget(LabelImgSelected);
    info->addWidget(LogMsgText);

    LabelHideIntroCount = new QLabel(QStringLiteral("0"), this);
    named(LabelHideIntroCount, QStringLiteral("LabelHideIntroCount"));
    LabelHideIntroCount->hide();

    // 原始列表
    FrameSrc = new QGroupBox(QStringLiteral("原始列表"), this);
    named(FrameSrc, QStringLiteral("FrameSrc"));
    ListImgSrc = new PageListBox(FrameSrc);
    named(ListImgSrc, QStringLiteral("ListImgSrc"));
    ListImgSrc->setMinimumSize(260, 160);
    ImgSrc = new aicAlphaImage(FrameSrc);
    named(ImgSrc, QStringLiteral("ImgSrc"));
    ImgSrc->setMinimumSize(320, 200);
    IntroSrc = new QPlainTextEdit(QStringLiteral("影片解说"), FrameSrc);
    named(IntroSrc, QStringLiteral("IntroSrc"));
    IntroSrc->setReadOnly(true);  // it shows the row's intro; typing would go nowhere
    IntroSrc->setFixedHeight(IntroSrc->fontMetrics().lineSpacing() * 3 + 12);
    auto* src = new QVBoxLayout(FrameSrc);
    src->addWidget(ListImgSrc, 3);
    src->addWidget(ImgSrc, 2);
    src->addWidget(IntroSrc);

    auto* left = new QVBoxLayout;
    left->addWidget(FrameRules);
    left->addWidget(FrameInfo);
    left->addStretch(1);
    auto* all = new QHBoxLayout(this);
    all->addLayout(left, 0);
    all->addWidget(FrameSrc, 1);

    connect(ComboCutWay, &QComboBox::currentIndexChanged, this, &SmartCutWnd::ComboCutWay_Click);
    connect(CheckKeepHaveIntro, &QCheckBox::clicked, this, &SmartCutWnd::CheckKeepHaveIntro_Click);
    connect(CheckKeepStartEnd, &QCheckBox::clicked, this, &SmartCutWnd::CheckKeepStartEnd_Click);
    connect(ListImgSrc, &PageListBox::Click, this, &SmartCutWnd::ListImgSrc_Click);
    connect(BtnStartCut, &QPushButton::clicked, this, &SmartCutWnd::BtnStartCut_Click);
    connect(ListImgSrc->model(), &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex& last, const QList<int>& roles) {
                if (roles.isEmpty() || roles.contains(Qt::CheckStateRole)) onRowsChanged(first.row(), last.row());
            });
}

void SmartCutWnd::LoadRows(const QStringList& rows) {
    m_rows = rows;
    m_ticked.assign(std::size_t(rows.size()), false);
    m_tickedCount = 0;
    {
        const QScopedValueRollback filling(m_filling, true);
        ListImgSrc->clear();
        ListImgSrc->addItems(rows);
        // Items are checkable from birth; a state makes the box show.
        for (int i = 0; i < ListImgSrc->count(); ++i) ListImgSrc->item(i)->setCheckState(Qt::Unchecked);
    }
    const auto n = rows.size();
    const auto intros = selection::countIntroRows(rows);
    // Written before anything reads it, so the minimum target counts the
    // intro rows from the start, not only after the next click.
    LabelHideIntroCount->setText(QString::number(intros));
    LabelImgTotal->setText(QStringLiteral("全部图片共计：%1 张").arg(n));
    LabelImgHaveIntro->setText(QStringLiteral("含有解说的行：%1 张").arg(intros));
    if (n > 0) {
        ListImgSrc->selectRow(0);  // ListImgSrc_Click
    } else {
        // Nothing of a movie shown before stays on view.
        showToolPicture(ImgSrc, {});
        IntroSrc->setPlainText(QStringLiteral("影片解说"));
        RefreshSelectedCount();
    }
}

void SmartCutWnd::Form_Load() {
    // Every opening starts from the window's design state.
    m_fields = Fields{};
    TextImgCutRest->setText(QStringLiteral("1"));
    TextMinPieceSize->setText(QStringLiteral("0"));
    TextMaxPieceSize->setText(QStringLiteral("20"));
    CheckKeepStartEnd->setChecked(false);
    CheckKeepHaveIntro->setChecked(true);
    CheckKeepSel->setChecked(false);
    for (QCheckBox* c : CheckStory) c->setChecked(false);
    {
        const QSignalBlocker quiet(ComboCutWay);
        ComboCutWay->setCurrentIndex(0);
    }
    ComboCutWay_Click();
    ReadKeepHaveIntro();
    ListImgSrc->setFocus();
}

bool SmartCutWnd::Form_Unload() {
    // Its result goes with it: the main window is usable again, and a result
    // saved later would no longer match the rows.
    m_result->close();
    return true;  // ToolWnd enables the main window
}

bool SmartCutWnd::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut) {
        // LostFocus is the focus moving to another control, not the window
        // losing it to a message box or another program.
        const Qt::FocusReason why = static_cast<QFocusEvent*>(event)->reason();
        if (why != Qt::ActiveWindowFocusReason && why != Qt::PopupFocusReason) {
            if (watched == TextImgCutRest) TextImgCutRest_LostFocus();
            else if (watched == TextMinPieceSize) TextMinPieceSize_LostFocus();
            else if (watched == TextMaxPieceSize) TextMaxPieceSize_LostFocus();
        }
    }
    return ToolWnd::eventFilter(watched, event);
}

void SmartCutWnd::ComboCutWay_Click() {
    if (ComboCutWay->currentIndex() == 1) EnableStoryControls();
    else DisableStoryControls();
}

void SmartCutWnd::CheckStory_k_Click(int) { RefreshStoryBars(); }

void SmartCutWnd::BtnStory_k_Click(int k) { JumpToStoryPart(k - 1); }

void SmartCutWnd::CheckKeepHaveIntro_Click() { ReadKeepHaveIntro(); }

void SmartCutWnd::CheckKeepStartEnd_Click() {
    // Ticks, never clears, whichever way the box went; the count follows.
    const int n = ListImgSrc->count();
    if (n == 0) return;
    ListImgSrc->item(0)->setCheckState(Qt::Checked);
    ListImgSrc->item(n - 1)->setCheckState(Qt::Checked);
}

void SmartCutWnd::ListImgSrc_Click() {
    if (const QListWidgetItem* item = ListImgSrc->currentItem()) {
        const QString row = item->text();
        showToolPicture(ImgSrc, joinPath(m_wnd->rootFilePath, PicMovieWnd::GetImageNameWithRowStr(row)));
        IntroSrc->setPlainText(PicMovieWnd::GetImageIntroWithRowStr(row));
    }
    RefreshSelectedCount();
}

void SmartCutWnd::onRowsChanged(int first, int last) {
    if (m_filling) return;
    bool changed = false;
    for (int r = std::max(first, 0); r <= last && r < ListImgSrc->count(); ++r) {
        const bool ticked = ListImgSrc->item(r)->checkState() == Qt::Checked;
        if (ticked == m_ticked[std::size_t(r)]) continue;
        m_ticked[std::size_t(r)] = ticked;
        m_tickedCount += ticked ? 1 : -1;
        changed = true;
    }
    if (changed) RefreshSelectedCount();
}

void SmartCutWnd::TextImgCutRest_LostFocus() {
    const int n = ListImgSrc->count();
    const std::optional<qint16> value = selection::ReadInt16(TextImgCutRest->text());
    // Only a number in range becomes the target: one outside it would
    // otherwise rule the next run (above N it would keep every row).
    if (value && m_fields.minCutRest <= *value && *value <= n) {
        m_fields.cutRestCount = *value;
        return;
    }
    dialogs().message(QStringLiteral("请输入合法（%1-%2）的数字>_<!").arg(m_fields.minCutRest).arg(n));
    TextImgCutRest->clear();
    TextImgCutRest->setFocus();
}

void SmartCutWnd::TextMinPieceSize_LostFocus() {
    m_fields.minPieceSize = 0;
    if (const std::optional<qint16> value = selection::ReadInt16(TextMinPieceSize->text())) {
        m_fields.minPieceSize = *value;
        if (m_fields.minPieceSize < 0) {
            m_fields.minPieceSize = 0;
            TextMinPieceSize->setText(QStringLiteral("0"));
        }
        if (m_fields.maxPieceSize < m_fields.minPieceSize) swapPieceSizes();
    } else {
        TextMinPieceSize->setText(QStringLiteral("0"));
    }
}

void SmartCutWnd::TextMaxPieceSize_LostFocus() {
    const qint16 n = to16(ListImgSrc->count());
    if (const std::optional<qint16> value = selection::ReadInt16(TextMaxPieceSize->text())) {
        m_fields.maxPieceSize = *value;
        if (m_fields.maxPieceSize > n) {
            m_fields.maxPieceSize = n;
            TextMaxPieceSize->setText(QString::number(n));
        }
        // No lower bound: a negative maximum becomes the minimum here.
        if (m_fields.maxPieceSize < m_fields.minPieceSize) swapPieceSizes();
    } else {
        m_fields.maxPieceSize = n;
        TextMaxPieceSize->setText(QString::number(n));
    }
}

void SmartCutWnd::swapPieceSizes() {
    std::swap(m_fields.minPieceSize, m_fields.maxPieceSize);
    TextMinPieceSize->setText(QString::number(m_fields.minPieceSize));
    TextMaxPieceSize->setText(QString::number(m_fields.maxPieceSize));
}

selection::Settings SmartCutWnd::settings() const {
    selection::Settings s;
    s.mode = ComboCutWay->currentIndex();
    s.cutRestCount = m_fields.cutRestCount;
    s.minCutRest = m_fields.minCutRest;
    s.keepHaveIntro = m_fields.keepHaveIntro;
    s.keepSel = CheckKeepSel->isChecked();
    for (int i = 0; i < kBands; ++i) s.bands[std::size_t(i)] = CheckStory[i]->isChecked();
    s.minPieceSize = m_fields.minPieceSize;
    s.maxPieceSize = m_fields.maxPieceSize;
    return s;
}

void SmartCutWnd::BtnStartCut_Click() {
    const auto n = int(m_rows.size());
    if (n == 0) {
        dialogs().message(QStringLiteral("没有可以筛选的图片"));
        return;
    }
    m_result->clearRows();
    const selection::Settings s = settings();
    const selection::PieceSizes table = selection::MakePieceSizeList(n, s);
    // What the run replaced stays for the next run of this opening.
    m_fields.cutRestCount = table.cutRestCount;
    m_fields.maxPieceSize = table.maxPieceSize;
    m_fields.storyCheckedCount = table.storyCheckedCount;
    m_fields.pieceSizeList = table.pieceSizeList;

    LoadingWnd* loading = m_wnd->loadingWnd();
    loading->Prepare(QStringLiteral("筛选中..."), QStringLiteral("0%"),
                     QStringLiteral("开始筛选图片，总计：%1张，目标：%2张").arg(n).arg(table.cutRestCount));
    const selection::Outcome out =
        selection::Run(m_rows, m_ticked, s, table, [loading, n](int row) { loading->Advance(row, n); });
    QStringList kept;
    kept.reserve(out.kept.size());
    for (int row : out.kept) kept.append(m_rows[row]);

    m_result->showResult(kept);
    loading->Finish();
    dialogs().message(QStringLiteral("筛选完成！剩余：%1 张").arg(kept.size()));
    m_result->setLog(selection::LogLine(ComboCutWay->currentText(), table.cutRestCount, int(kept.size()), n));
}

void SmartCutWnd::setStoryControlsEnabled(bool enabled) {
    for (int i = 0; i < kBands; ++i) {
        ShapeStory[i]->setColors(inactiveBorder(this), inactiveBorder(this));
        CheckStory[i]->setEnabled(enabled);
        BtnStory[i]->setEnabled(enabled);
    }
    TextMinPieceSize->setEnabled(enabled);
    TextMaxPieceSize->setEnabled(enabled);
}

void SmartCutWnd::DisableStoryControls() { setStoryControlsEnabled(false); }

void SmartCutWnd::EnableStoryControls() {
    setStoryControlsEnabled(true);
    RefreshStoryBars();
}

void SmartCutWnd::RefreshStoryBars() {
    m_fields.storyCheckedCount = 0;
    for (int i = 0; i < kBands; ++i) {
        if (CheckStory[i]->isChecked()) {
            ShapeStory[i]->setColors(kTickedBorder, kTickedFill);
            ++m_fields.storyCheckedCount;
        } else {
            ShapeStory[i]->setColors(inactiveBorder(this), inactiveBorder(this));
        }
    }
}

void SmartCutWnd::JumpToStoryPart(int value) {
    const int n = ListImgSrc->count();
    const int row = selection::StoryPartRow(n, value);
    if (row < n) ListImgSrc->selectRow(row);  // the preview follows
}

void SmartCutWnd::ReadKeepHaveIntro() {
    m_fields.keepHaveIntro = CheckKeepHaveIntro->isChecked();
    UpdateMinCutRest();
}

void SmartCutWnd::RefreshSelectedCount() {
    LabelImgSelected->setText(QStringLiteral("选中保留的行：%1 张").arg(m_tickedCount));
    UpdateMinCutRest();
}

void SmartCutWnd::UpdateMinCutRest() {
    qsizetype sum = m_tickedCount;
    if (m_fields.keepHaveIntro) sum += LabelHideIntroCount->text().toInt();
    m_fields.minCutRest = sum == 0 ? qint16(1) : to16(sum);
    LabelCutSize->setText(QStringLiteral("（%1-%2）张").arg(m_fields.minCutRest).arg(ListImgSrc->count()));
}

} // namespace kinoleaf
