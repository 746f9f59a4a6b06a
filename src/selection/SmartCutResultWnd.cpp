#include "selection/SmartCutResultWnd.h"

#include "editor/FolderPickerWnd.h"
#include "editor/LoadingWnd.h"
#include "editor/MovieHistory.h"
#include "editor/PageListBox.h"
#include "editor/PicMovieWnd.h"
#include "editor/copy_commands.h"
#include "pages/deleted_images.h"
#include "platform/aic_alpha_image.h"
#include "platform/dialogs.h"
#include "platform/file_errors.h"
#include "platform/file_helpers.h"
#include "selection/SmartCutWnd.h"
#include "selection/selection_copy.h"

#include <QBoxLayout>
#include <QFileInfo>
#include <QFrame>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kinoleaf {
namespace {

bool sameFolder(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath(), cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

SmartCutResultWnd::SmartCutResultWnd(PicMovieWnd* main, SmartCutWnd* selection)
    : ToolWnd(selection, false), m_wnd(main), m_selection(selection) {
    setObjectName(QStringLiteral("SmartCutResultWnd"));
    setWindowTitle(QStringLiteral("筛选结果"));

    ListCut = new PageListBox(this);
    ListCut->setObjectName(QStringLiteral("ListCut"));
    ListCut->setSelectionMode(QAbstractItemView::SingleSelection);
    ListCut->setUniformItemSizes(true);  // a long result lays out in no time
    ListCut->setMinimumWidth(220);
    auto* shape = new QFrame(this);
    shape->setFrameShape(QFrame::Box);
    ImgCut = new aicAlphaImage(shape);
    ImgCut->setObjectName(QStringLiteral("ImgCut"));
    ImgCut->setMinimumSize(240, 180);
    IntroCut = makeIntroPreview(shape, "IntroCut", QStringLiteral("解说内容"));
    auto* frame = new QGroupBox(QStringLiteral("信息"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    LabelCutLog = new QLabel(QStringLiteral("Label1"), frame);
    LabelCutLog->setObjectName(QStringLiteral("LabelCutLog"));
    LabelCutLog->setWordWrap(true);
    BtnSaveDel = makeButton(this, "BtnSaveDel", QStringLiteral("保存并删除多余文件"));
    BtnSaveAs = makeButton(this, "BtnSaveAs", QStringLiteral("另存为..."));
    BtnCancel = makeButton(this, "BtnCancel", QStringLiteral("取 消"));

    auto* preview = new QVBoxLayout(shape);
    preview->addWidget(ImgCut, 1);
    preview->addWidget(IntroCut);
    auto* info = new QVBoxLayout(frame);
    info->addWidget(LabelCutLog);
    auto* top = new QHBoxLayout;
    top->addWidget(ListCut, 2);
    top->addWidget(shape, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BtnSaveDel);
    buttons->addWidget(BtnSaveAs);
    buttons->addStretch(1);
    buttons->addWidget(BtnCancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top, 1);
    all->addWidget(frame);
    all->addLayout(buttons);

    connect(ListCut, &PageListBox::Click, this, &SmartCutResultWnd::ListCut_Click);
    connect(BtnSaveDel, &QPushButton::clicked, this, &SmartCutResultWnd::BtnSaveDel_Click);
    connect(BtnSaveAs, &QPushButton::clicked, this, &SmartCutResultWnd::BtnSaveAs_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &SmartCutResultWnd::BtnCancel_Click);
}

SmartCutResultWnd::~SmartCutResultWnd() { delete m_picker; }

QSize SmartCutResultWnd::sizeHint() const { return {820, 580}; }

void SmartCutResultWnd::clearRows() {
    // A result left on view from an earlier opening must not be saved over
    // the rows of this one.
    hide();
    ListCut->clear();
    clearRowPreview(ImgCut, IntroCut);
}

void SmartCutResultWnd::showResult(const QStringList& rows) {
    m_folder = m_wnd->rootFilePath;
    ListCut->addItems(rows);
    // Shown before the first row is: the preview is decoded at the box's size.
    // Above the selection window that made it: a run must be seen to end.
    if (isVisible()) bringToFront();
    else showCentred();
    if (ListCut->count() > 0) ListCut->selectRow(0);
}

void SmartCutResultWnd::setLog(const QString& log) { LabelCutLog->setText(log); }

QStringList SmartCutResultWnd::rows() const { return ListCut->rows(); }

void SmartCutResultWnd::ListCut_Click() { showRowPreview(ListCut, ImgCut, IntroCut, m_wnd->rootFilePath); }

void SmartCutResultWnd::BtnCancel_Click() { close(); }

bool SmartCutResultWnd::stillSameMovie() const {
    if (m_wnd->rootFilePath == m_folder) return true;
    dialogs().message(QStringLiteral("主窗口已经打开了别的影片文件夹，这个筛选结果不能再保存，请重新筛选。"),
                      MsgIcon::Exclamation);
    return false;
}

void SmartCutResultWnd::BtnSaveDel_Click() {
    if (!stillSameMovie()) return;
    // A run keeps at least its first row: an empty list is no result, and
    // saving it would move every image out of the movie.
    if (ListCut->count() == 0) return;
    setEnabled(false);
    const QStringList kept = rows();
    LoadingWnd* loading = m_wnd->loadingWnd();
    loading->Prepare(QStringLiteral("保存中..."), QStringLiteral("0%"),
                     QStringLiteral("保存筛选结果中，总计：%1张").arg(kept.size()));
    pages::DeletionReport report;
    if (!m_wnd->removePagesKeeping(QStringLiteral("保存筛选结果"), QStringLiteral("保存筛选结果"), kept,
                                   [loading](int i, int total) { loading->Advance(i, total); }, report)) {
        loading->close();
        setEnabled(true);
        return;
    }
    // The images are gone from the folder and the rows from the list: a
    // close without saving would leave a script that still names them.
    m_wnd->editedThisMovie = true;
    loading->Finish();
    finishSave(report.message());
}

void SmartCutResultWnd::BtnSaveAs_Click() {
    if (!stillSameMovie()) return;
    if (!m_picker) {
        m_picker = new FolderPickerWnd(FolderPickerWnd::Kind::SaveAs, this,
                                       [this](FolderPickerWnd& picker, const QString& folder) {
                                           // A refused folder: the user picks another.
                                           if (!saveCopyTo(folder)) picker.stayOpen();
                                       });
    }
    m_picker->openAt(m_wnd->rootFilePath);  // disables this window until it closes
}

void SmartCutResultWnd::SaveToNewFilePath(const QString& file_path) { saveCopyTo(file_path); }

bool SmartCutResultWnd::saveCopyTo(const QString& folder) {
    if (!stillSameMovie()) return true;  // another folder would not help
    const QString movie = m_wnd->rootFilePath;
    if (sameFolder(folder, movie)) {
        // Each image would be copied onto itself.
        dialogs().message(QStringLiteral("不能另存到影片自己的文件夹，请选择别的文件夹。"), MsgIcon::Exclamation);
        return false;
    }
    setEnabled(false);
    const QStringList kept = rows();
    const int total = int(kept.size());
    LoadingWnd* loading = m_wnd->loadingWnd();
    loading->Prepare(QStringLiteral("保存中..."), QStringLiteral("0%"),
                     QStringLiteral("保存筛选结果中，总计：%1张").arg(total));
    const selection::CopyResult copy =
        selection::copyKeptImages(kept, movie, folder, [loading](int j, int n) { loading->Advance(j, n); });
    const int stored = copy.stored;
    const QStringList& storedNames = copy.storedNames;
    const QStringList& failed = copy.failed;
    const QString& syncError = copy.syncError;
    if (!copy.written.isEmpty()) {
        // Taken back, it removes what it wrote; done again, it copies again.
        m_wnd->history()->record(new FolderCopyCommand(
            *m_wnd, QStringLiteral("另存筛选结果（%1 张）").arg(storedNames.size()), copy.written,
            [kept, movie, folder] {
                const selection::CopyResult again = selection::copyKeptImages(kept, movie, folder);
                return FolderCopyCommand::Outcome{again.written, again.failed, again.syncError};
            }));
    }
    loading->Finish();
    QString problems;
    if (!failed.isEmpty()) {
        problems = QStringLiteral("有 %1 张图片没能存储：").arg(failed.size()) + reportedLines(failed);
    }
    if (syncError.isEmpty()) {
        finishSave(QStringLiteral("保存完成！共存储图片：%1张！").arg(stored), problems);
    } else {
        finishSave(QStringLiteral("保存没有完成：%1 张图片已经复制，但没能确认它们存到了磁盘上（%2），请检查磁盘。")
                       .arg(storedNames.size())
                       .arg(syncError),
                   problems);
    }
    return true;
}

void SmartCutResultWnd::finishSave(const QString& message, const QString& problems) {
    if (m_selection && m_selection->isVisible()) m_selection->close();
    dialogs().message(message);
    if (!problems.isEmpty()) dialogs().message(problems, MsgIcon::Exclamation);
    close();
    // Shown again by the next run, it must take input.
    setEnabled(true);
}

} // namespace kinoleaf
