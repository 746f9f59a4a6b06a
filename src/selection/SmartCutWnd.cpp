#include "selection/SmartCutWnd.h"

#include "editor/LoadingWnd.h"
#include "editor/PageListBox.h"
#include "editor/PicMovieWnd.h"
#include "platform/dialogs.h"
#include "selection/SmartCutResultWnd.h"
#include "selection/selection_run.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>

#include <algorithm>
#include <limits>

namespace kinoleaf {
namespace {

qint16 to16(qsizetype value) {
    return qint16(std::clamp<qsizetype>(value, std::numeric_limits<qint16>::min(), std::numeric_limits<qint16>::max()));
}

} // namespace

SmartCutWnd::SmartCutWnd(PicMovieWnd* owner)
    : ToolWnd(owner, true), m_wnd(owner), m_result(new SmartCutResultWnd(owner, this)) {
    setObjectName(QStringLiteral("SmartCutWnd"));
    setWindowTitle(QStringLiteral("自动筛选图片"));
    buildControls();
}

SmartCutWnd::~SmartCutWnd() { delete m_result; }

QSize SmartCutWnd::sizeHint() const { return {1040, 720}; }

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
    showRowPreview(ListImgSrc, ImgSrc, IntroSrc, m_wnd->rootFilePath);
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
        ShapeStory[i]->setTicked(false);
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
        ShapeStory[i]->setTicked(CheckStory[i]->isChecked());
        if (CheckStory[i]->isChecked()) ++m_fields.storyCheckedCount;
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
