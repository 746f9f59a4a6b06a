#include "editor/WndMovieCutVol.h"

#include "editor/FolderPickerWnd.h"
#include "editor/LoadingWnd.h"
#include "editor/MovieHistory.h"
#include "editor/PageListBox.h"
#include "editor/PicMovieWnd.h"
#include "editor/copy_commands.h"
#include "editor/episode.h"
#include "platform/aic_alpha_image.h"
#include "platform/dialogs.h"
#include "platform/file_helpers.h"

#include <QBoxLayout>
#include <QDir>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace kinoleaf {
WndMovieCutVol::WndMovieCutVol(PicMovieWnd* owner) : ToolWnd(owner, false), m_wnd(owner) {
    setObjectName(QStringLiteral("WndMovieCutVol"));
    setWindowTitle(QStringLiteral("生成剧集"));

    ListSrc = new PageListBox(this);
    ListSrc->setObjectName(QStringLiteral("ListSrc"));
    ListSrc->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ImgShow = new aicAlphaImage(this);
    ImgShow->setObjectName(QStringLiteral("ImgShow"));
    ImgShow->setMinimumSize(320, 240);
    IntroShow = makeIntroPreview(this, "IntroShow", QStringLiteral("解说内容"));
    IntroShow->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    LabelSelCount = new QLabel(QStringLiteral("已选择：0 页"), this);
    LabelSelCount->setObjectName(QStringLiteral("LabelSelCount"));
    BtnSaveTo = makeButton(this, "BtnSaveTo", QStringLiteral("生成剧集到 >>"), {110, 32});
    BtnCancel = makeButton(this, "BtnCancel", QStringLiteral("取 消"), {110, 32});

    auto* preview = new QVBoxLayout;
    preview->addWidget(ImgShow, 1);
    preview->addWidget(IntroShow);
    auto* top = new QHBoxLayout;
    top->addWidget(ListSrc, 2);
    top->addLayout(preview, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(LabelSelCount);
    bottom->addStretch(1);
    bottom->addWidget(BtnSaveTo);
    bottom->addWidget(BtnCancel);
    auto* all = new QVBoxLayout(this);
    all->addLayout(top, 1);
    all->addLayout(bottom);

    connect(ListSrc, &PageListBox::Click, this, &WndMovieCutVol::ListSrc_Click);
    // Shift with the arrow keys changes the selection without a click: the
    // count must follow all the same.
    connect(ListSrc, &QListWidget::itemSelectionChanged, this, &WndMovieCutVol::showSelectedCount);
    connect(BtnSaveTo, &QPushButton::clicked, this, &WndMovieCutVol::BtnSaveTo_Click);
    connect(BtnCancel, &QPushButton::clicked, this, &WndMovieCutVol::BtnCancel_Click);
}

WndMovieCutVol::~WndMovieCutVol() { delete m_picker; }

void WndMovieCutVol::LoadRows(const QStringList& rows) {
    m_folder = m_wnd->rootFilePath;
    ListSrc->clear();
    ListSrc->addItems(rows);
    if (ListSrc->count() > 0) {
        ListSrc->selectRow(0);
    } else {
        clearRowPreview(ImgShow, IntroShow);
        showSelectedCount();
    }
}

void WndMovieCutVol::ListSrc_Click() {
    if (!ListSrc->currentItem()) return;
    showRowPreview(ListSrc, ImgShow, IntroShow, m_wnd->rootFilePath);
    showSelectedCount();
}

void WndMovieCutVol::showSelectedCount() {
    LabelSelCount->setText(QStringLiteral("已选择： %1 页").arg(ListSrc->selectedItems().size()));
}

QStringList WndMovieCutVol::selectedRows() const { return ListSrc->selectedRows(); }

void WndMovieCutVol::BtnSaveTo_Click() {
    // An episode of no pages would only leave an empty script behind.
    if (ListSrc->selectedItems().isEmpty()) {
        dialogs().message(QStringLiteral("请先选择要生成剧集的页面"));
        return;
    }
    if (!m_picker) {
        m_picker = new FolderPickerWnd(FolderPickerWnd::Kind::VolSaveTo, this,
                                       [this](FolderPickerWnd& picker, const QString& target) {
                                           GenerateEpisode(picker, target);
                                       });
    }
    m_picker->openAt(m_wnd->rootFilePath);
}

void WndMovieCutVol::BtnCancel_Click() { close(); }

void WndMovieCutVol::GenerateEpisode(FolderPickerWnd& picker, const QString& target) {
    // The rows belong to the movie they were taken from; its images are
    // read from there, never from another movie opened since.
    if (!episode::sameFolder(m_folder, m_wnd->rootFilePath) && m_folder != m_wnd->rootFilePath) {
        dialogs().message(QStringLiteral("主窗口已经打开了别的影片文件夹，请重新打开分集窗口。"));
        return;
    }
    // The movie's own script would be cut down to the episode.
    if (episode::sameFolder(target, m_folder)) {
        dialogs().message(QStringLiteral("剧集不能生成到影片自己的文件夹里，请另选一个文件夹。"));
        picker.stayOpen();  // to pick another
        return;
    }
    picker.setEnabled(false);
    LoadingWnd* loading = m_wnd->loadingWnd();
    loading->Prepare(QStringLiteral("存储中..."), QStringLiteral("0%"), QStringLiteral("剧集生成中，请稍候..."));
    const QStringList rows = selectedRows();
    const episode::Result result = episode::generate(rows, m_folder, target,
                                                     [loading](int done, int total) { loading->Advance(done, total); });
    loading->Finish();
    if (!result.written.isEmpty()) {
        // Taken back, it removes what it wrote; done again, it copies again.
        const QString movie = m_folder;
        m_wnd->history()->record(new FolderCopyCommand(
            *m_wnd, QStringLiteral("生成剧集（%1 页）").arg(result.pages), result.written, [rows, movie, target] {
                const episode::Result again = episode::generate(rows, movie, target);
                QStringList failed;
                for (const episode::Failure& f : again.failed) failed.append(f.imageName + u'：' + f.reason);
                if (!again.scriptWritten) failed.append(QStringLiteral("脚本：") + again.scriptError);
                return FolderCopyCommand::Outcome{again.written, failed, again.syncError};
            }));
    }
    if (result.scriptWritten && result.syncError.isEmpty()) {
        dialogs().message(QStringLiteral("剧集生成完成！共计：%1 张").arg(result.pages));
    } else if (result.scriptWritten) {
        // Written, but maybe only into memory: not yet an episode to rely on.
        dialogs().message(QStringLiteral("剧集的文件都已写出，但没能确认它们存到了磁盘上，请检查磁盘后重新生成。\n[%1]\n%2")
                              .arg(QDir::toNativeSeparators(target), result.syncError),
                          MsgIcon::Critical);
    } else {
        // Without its script the folder is no episode: no success to report.
        dialogs().message(QStringLiteral("剧集没能生成：脚本文件写不进去。\n[%1]\n%2")
                              .arg(QDir::toNativeSeparators(target), result.scriptError),
                          MsgIcon::Critical);
    }
    if (!result.failed.isEmpty()) {
        dialogs().message(episode::failureReport(result), MsgIcon::Exclamation);
    }
    picker.setEnabled(true);
}

} // namespace kinoleaf
