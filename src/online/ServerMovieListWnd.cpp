#include "online/ServerMovieListWnd.h"

#include "editor/FolderPickerWnd.h"
#include "editor/LoadingWnd.h"
#include "editor/PicMovieWnd.h"
#include "model/script_file.h"
#include "online/ServerLoginWnd.h"
#include "online/online_logic.h"
#include "platform/dialogs.h"
#include "platform/file_helpers.h"
#include "platform/preview_decoder.h"

#include <QBoxLayout>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

namespace kinoleaf {
namespace {

const QStringList kGenres{"剧情", "喜剧", "短片", "爱情", "动作", "记录片", "惊悚", "犯罪", "动画",
                          "恐怖", "冒险", "家庭", "悬疑", "奇幻", "战争", "科幻", "歌舞", "音乐",
                          "传记", "西部", "历史", "运动", "古装", "武侠", "戏曲", "黑色", "儿童",
                          "真人秀", "新闻", "舞台", "成人", "脱口", "游戏秀", "情色"};
constexpr int kGenreColumns = 9;

bool sameFolder(const QString& a, const QString& b) {
    const QString ca = QFileInfo(a).canonicalFilePath(), cb = QFileInfo(b).canonicalFilePath();
    if (!ca.isEmpty() && !cb.isEmpty()) return ca == cb;
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}

} // namespace

ServerMovieListWnd::ServerMovieListWnd(PicMovieWnd* owner) : ToolWnd(owner, false), m_wnd(owner) {
    setObjectName(QStringLiteral("ServerMovieListWnd"));
    setWindowTitle(QStringLiteral("Quillhall-影片列表"));

    auto frame = [this](QGroupBox*& f, const char* name, const QString& caption) {
        f = new QGroupBox(caption, this);
        f->setObjectName(QLatin1String(name));
    };
    auto label = [](QLabel*& l, const char* name, const QString& caption, QWidget* parent) {
        l = new QLabel(caption, parent);
        l->setObjectName(QLatin1String(name));
    };
    auto combo = [](QComboBox*& c, const char* name, const QStringList& items, QWidget* parent) {
        c = new QComboBox(parent);
        c->setObjectName(QLatin1String(name));
        c->addItems(items);
    };

    frame(Frame4, "Frame4", QStringLiteral("Welcome!"));
    label(LabelWelcomeMsg, "LabelWelcomeMsg", QString(), Frame4);
    BtnLogOut = makeButton(Frame4, "BtnLogOut", QStringLiteral("登 出"), {88, 30});

    frame(Frame1, "Frame1", QStringLiteral("搜索条件"));
    label(Label1, "Label1", QStringLiteral("影片名称："), Frame1);
    SerMvName = new QLineEdit(Frame1);
    SerMvName->setObjectName(QStringLiteral("SerMvName"));
    label(Label8, "Label8", QStringLiteral("影片ID："), Frame1);
    SerMvId = new QLineEdit(Frame1);
    SerMvId->setObjectName(QStringLiteral("SerMvId"));
    label(Label2, "Label2", QStringLiteral("上线状态："), Frame1);
    combo(SerMvOnline, "SerMvOnline", {"全部", "已上线", "未上线", "即将上线"}, Frame1);
    label(Label3, "Label3", QStringLiteral("应用平台："), Frame1);
    combo(SerMvPlat, "SerMvPlat", {"全部", "Android", "iOS(AppStore)", "iOS(91)"}, Frame1);
    label(Label4, "Label4", QStringLiteral("推 荐："), Frame1);
    combo(SerMvJian, "SerMvJian", {"全部", "推荐", "非推荐"}, Frame1);
    label(Label5, "Label5", QStringLiteral("热 门："), Frame1);
    combo(SerMvHot, "SerMvHot", {"全部", "热门", "非热门"}, Frame1);
    label(Label6, "Label6", QStringLiteral("限制级："), Frame1);
    combo(SerMvH18, "SerMvH18", {"全部", "限制级", "非限制级"}, Frame1);
    label(Label7, "Label7", QStringLiteral("国家地区："), Frame1);
    combo(SerMvZone, "SerMvZone",
          {"全部", "其他", "美国", "日本", "中国", "中国香港", "中国台湾", "法国", "英国", "韩国", "印度", "俄罗斯",
           "泰国"},
          Frame1);
    Frame3 = new QGroupBox(QStringLiteral("影片类型"), Frame1);
    Frame3->setObjectName(QStringLiteral("Frame3"));
    for (int n = 1; n <= int(kGenres.size()); ++n) {
        auto* box = new QCheckBox(kGenres[n - 1], Frame3);
        box->setObjectName(QStringLiteral("SerMvTag_%1").arg(n));
        m_tags.append(box);
    }
    label(Label9, "Label9", QStringLiteral("排序方式："), Frame1);
    combo(SerMvQueryType, "SerMvQueryType",
          {"按上线时间", "按添加时间", "按影片评分", "按上映日期", "按播放次数", "按顶次数", "按踩次数", "按影片ID"},
          Frame1);
    combo(SerMvQueryOrder, "SerMvQueryOrder", {"降序", "升序"}, Frame1);
    BtnSerBack = makeButton(Frame1, "BtnSerBack", QStringLiteral("恢复默认"), {88, 30});
    BtnSerStart = makeButton(Frame1, "BtnSerStart", QStringLiteral("搜 索"), {88, 30});

    frame(Frame2, "Frame2", QStringLiteral("影片列表"));
    ListMovies = new QListWidget(Frame2);
    ListMovies->setObjectName(QStringLiteral("ListMovies"));
    ListMovies->setSelectionMode(QAbstractItemView::SingleSelection);
    ListMovies->setUniformItemSizes(true);
    BtnPerPage = makeButton(Frame2, "BtnPerPage", QStringLiteral("上一页"), {88, 30});
    BtnNextPage = makeButton(Frame2, "BtnNextPage", QStringLiteral("下一页"), {88, 30});
    label(LabelPageMsg, "LabelPageMsg", QString(), Frame2);
    LabelPageMsg->setAlignment(Qt::AlignCenter);
    BtnStartDownload = makeButton(Frame2, "BtnStartDownload", QStringLiteral("下载选中影片"), {88, 30});

    auto* welcome = new QHBoxLayout(Frame4);
    welcome->addWidget(LabelWelcomeMsg, 1);
    welcome->addWidget(BtnLogOut);

    auto* fields = new QGridLayout;
    fields->addWidget(Label1, 0, 0);
    fields->addWidget(SerMvName, 0, 1, 1, 3);
    fields->addWidget(Label8, 0, 4);
    fields->addWidget(SerMvId, 0, 5);
    const std::pair<QLabel*, QComboBox*> lists[] = {{Label2, SerMvOnline}, {Label3, SerMvPlat},
                                                    {Label4, SerMvJian},   {Label5, SerMvHot},
                                                    {Label6, SerMvH18},    {Label7, SerMvZone}};
    for (int i = 0; i < 6; ++i) {
        fields->addWidget(lists[i].first, 1 + i / 3, (i % 3) * 2);
        fields->addWidget(lists[i].second, 1 + i / 3, (i % 3) * 2 + 1);
    }
    auto* genres = new QGridLayout(Frame3);
    for (int i = 0; i < int(m_tags.size()); ++i) genres->addWidget(m_tags[i], i / kGenreColumns, i % kGenreColumns);
    auto* order = new QHBoxLayout;
    order->addWidget(Label9);
    order->addWidget(SerMvQueryType);
    order->addWidget(SerMvQueryOrder);
    order->addStretch(1);
    order->addWidget(BtnSerBack);
    order->addWidget(BtnSerStart);
    auto* search = new QVBoxLayout(Frame1);
    search->addLayout(fields);
    search->addWidget(Frame3);
    search->addLayout(order);

    auto* paging = new QHBoxLayout;
    paging->addWidget(BtnPerPage);
    paging->addWidget(LabelPageMsg, 1);
    paging->addWidget(BtnNextPage);
    auto* found = new QVBoxLayout(Frame2);
    found->addWidget(ListMovies, 1);
    found->addLayout(paging);
    found->addWidget(BtnStartDownload, 0, Qt::AlignRight);

    auto* all = new QVBoxLayout(this);
    all->addWidget(Frame4);
    all->addWidget(Frame1);
    all->addWidget(Frame2, 1);

    // The page buttons have no action: the service takes no page parameter.
    connect(BtnSerBack, &QPushButton::clicked, this, &ServerMovieListWnd::BtnSerBack_Click);
    connect(BtnSerStart, &QPushButton::clicked, this, &ServerMovieListWnd::BtnSerStart_Click);
    connect(BtnStartDownload, &QPushButton::clicked, this, &ServerMovieListWnd::BtnStartDownload_Click);
    connect(BtnLogOut, &QPushButton::clicked, this, &ServerMovieListWnd::BtnLogOut_Click);
    BtnPerPage->setEnabled(false);
    BtnNextPage->setEnabled(false);
}

ServerMovieListWnd::~ServerMovieListWnd() { delete m_picker; }

QSize ServerMovieListWnd::sizeHint() const { return {760, 720}; }

void ServerMovieListWnd::Form_Load() {
    // Each opening starts afresh, as after a login.
    ResetSearchForm();
    ListMovies->clear();
    lastQuery.clear();
    pagesTotal = pagesNow = moviesTotal = 0;
    ShowPageInfo();
    LabelPageMsg->clear();
}

bool ServerMovieListWnd::Form_Unload() {
    // Closed by the window manager while its picker is open: the picker
    // goes with it.
    if (m_picker && m_picker->isVisible()) m_picker->close();
    return true;
}

void ServerMovieListWnd::ResetSearchForm() {
    SerMvName->clear();
    SerMvId->clear();
    for (QComboBox* c : {SerMvOnline, SerMvPlat, SerMvJian, SerMvHot, SerMvH18, SerMvZone, SerMvQueryType,
                         SerMvQueryOrder})
        c->setCurrentIndex(0);
    for (QCheckBox* box : m_tags) box->setChecked(false);
}

void ServerMovieListWnd::ShowPageInfo() {
    LabelPageMsg->setText(QStringLiteral("共有影片：%1部，页：%2 / %3").arg(moviesTotal).arg(pagesNow).arg(pagesTotal));
    BtnNextPage->setEnabled(pagesTotal != pagesNow);
    BtnPerPage->setEnabled(pagesNow > 1);
}

void ServerMovieListWnd::BtnSerBack_Click() { ResetSearchForm(); }

void ServerMovieListWnd::BtnSerStart_Click() {
    online::SearchForm form;
    form.name = SerMvName->text();
    form.id = SerMvId->text();
    form.online = SerMvOnline->currentIndex();
    form.platform = SerMvPlat->currentIndex();
    form.recommended = SerMvJian->currentIndex();
    form.hot = SerMvHot->currentIndex();
    form.restricted = SerMvH18->currentIndex();
    form.zone = SerMvZone->currentIndex();
    for (int n = 1; n <= int(m_tags.size()); ++n)
        if (SerMvTag(n)->isChecked()) form.genres.append(n);
    form.orderKey = SerMvQueryType->currentIndex();
    form.orderDirection = SerMvQueryOrder->currentIndex();
    const QString body = online::searchBody(m_wnd->loginWnd()->login_UserName, form);

    const online::Exchange reply = online::PostForm(online::kMovieListPath, body);
    if (!reply.error.isEmpty()) {
        dialogs().message(online::kConnectFailed + reply.error, MsgIcon::Exclamation);
        return;
    }
    switch (online::statusOf(reply.root)) {
    case online::ReplyStatus::Success:
        lastQuery = body;
        ListMovies->clear();
        ListMovies->addItems(online::movieRows(reply.root));
        pagesTotal = online::int16Member(reply.root, QStringLiteral("pages_total"));
        pagesNow = online::int16Member(reply.root, QStringLiteral("pages_now"));
        moviesTotal = online::int16Member(reply.root, QStringLiteral("movies_total"));
        ShowPageInfo();
        break;
    case online::ReplyStatus::LoginExpired:
        endLogin();
        break;
    case online::ReplyStatus::Failed:
        dialogs().message(QStringLiteral("查询失败>_<!"));
        break;
    }
}

void ServerMovieListWnd::BtnLogOut_Click() {
    m_wnd->loginWnd()->login_UserName.clear();
    close();
    m_wnd->loginWnd()->showCentred();
}

void ServerMovieListWnd::endLogin() {
    ServerLoginWnd* login = m_wnd->loginWnd();
    login->login_UserName.clear();
    login->showCentred();
    dialogs().message(QStringLiteral("用户登陆已超时，请重新登陆>_<!"));
    // Usable when it is opened again after the next login.
    setEnabled(true);
    close();
}

QString ServerMovieListWnd::GetMovieIDFromStr(const QString& sThis) const {
    return online::GetMovieIDFromStr(sThis);
}

QString ServerMovieListWnd::GetFileNameFromURLStr(const QString& nUrl) const {
    return online::GetFileNameFromURLStr(nUrl);
}

online::Download ServerMovieListWnd::DownNetFile(const QString& nUrl, const QString& nFile) const {
    // A login page or a portal's answer comes as 200 too: only what the
    // picture box could show is kept as a page's image.
    return online::DownNetFile(nUrl, nFile, [](const QString& part) {
        return probeImage(part).ok() ? QString() : QStringLiteral("不是图片");
    });
}

void ServerMovieListWnd::BtnStartDownload_Click() {
    if (ListMovies->selectedItems().isEmpty()) {
        dialogs().message(QStringLiteral("没有选中影片啊~"));
        return;
    }
    if (!m_picker) {
        m_picker = new FolderPickerWnd(FolderPickerWnd::Kind::ServerDownSave, this,
                                       [this](FolderPickerWnd& picker, const QString& folder) {
                                           // A refused folder: the user picks another.
                                           if (!downloadTo(folder)) picker.stayOpen();
                                       });
    }
    // The movie's folder, or the home folder when none is loaded; the picker
    // disables this window until it closes.
    m_picker->openAt(m_wnd->rootFilePath);
}

void ServerMovieListWnd::StartDownloadMovieSaveToPath(const QString& file_path) { downloadTo(file_path); }

bool ServerMovieListWnd::downloadTo(const QString& folder) {
    const QList<QListWidgetItem*> selected = ListMovies->selectedItems();
    if (selected.isEmpty()) {
        dialogs().message(QStringLiteral("没有选中影片啊~"));
        return true;
    }
    if (!m_wnd->rootFilePath.isEmpty() && sameFolder(folder, m_wnd->rootFilePath)) {
        // The story's script would replace the one whose rows the editor holds.
        dialogs().message(QStringLiteral("不能下载到正在编辑的影片文件夹，请选择别的文件夹。"), MsgIcon::Exclamation);
        return false;
    }
    setEnabled(false);
    LoadingWnd* loading = m_wnd->loadingWnd();
    loading->Prepare(QStringLiteral("下载中..."), QStringLiteral("0%"), QStringLiteral("影片下载中，请稍候..."));
    const QString movieId = GetMovieIDFromStr(selected.first()->text());
    const online::Exchange reply =
        online::PostForm(online::kMovieStoryPath, online::storyBody(m_wnd->loginWnd()->login_UserName, movieId));
    if (!reply.error.isEmpty()) {
        loading->close();
        dialogs().message(online::kConnectFailed + reply.error, MsgIcon::Exclamation);
        setEnabled(true);
        return true;
    }
    switch (online::statusOf(reply.root)) {
    case online::ReplyStatus::Success:
        downloadStory(folder, reply.root);
        break;
    case online::ReplyStatus::LoginExpired:
        loading->close();
        endLogin();
        break;
    case online::ReplyStatus::Failed:
        loading->close();
        dialogs().message(QStringLiteral("影片解说读取失败>_<!"));
        setEnabled(true);
        break;
    }
    return true;
}

void ServerMovieListWnd::downloadStory(const QString& folder, const JsonValue& root) {
    LoadingWnd* loading = m_wnd->loadingWnd();
    loading->setMessage(loading->TextLoadMsg->text() + QStringLiteral("\r\n影片解说读取成功！开始下载..."));
    const online::StoryPlan plan = online::planStory(root);
    QStringList lines;
    lines.reserve(qsizetype(plan.pages.size()));
    QList<online::FailedImage> failed;
    for (const online::StoryPage& page : plan.pages) {
        loading->Advance(page.position, plan.pagesCount);
        emit downloadingPage(page.position, plan.pagesCount);
        if (page.url.isEmpty()) {
            // Nothing to name in the script either.
            failed.append({QStringLiteral("第 %1 页").arg(page.position), QStringLiteral("服务器没有给出图片地址")});
            continue;
        }
        const online::Download got = DownNetFile(page.url, joinPath(folder, page.fileName));
        if (!got.ok) failed.append({page.fileName, got.error});
        // The line stays: the image can be fetched again by hand.
        lines.append(page.line);
    }
    // Written whole at the end, so a run that stops early never leaves half
    // a script over an existing one.
    const QString scriptPath = joinPath(folder, script::kFileName);
    const script::WriteResult written = script::write(scriptPath, lines);
    loading->Finish();
    // One closing message: the count, then whatever did not arrive or could
    // not be written.
    QString closing = QStringLiteral("下载完成！共计：%1 张").arg(plan.pagesCount);
    MsgIcon icon = MsgIcon::None;
    const QString report = online::failedImagesReport(failed, int(plan.pages.size()) + 1, plan.missingPages);
    if (!report.isEmpty()) {
        closing += QStringLiteral("\n\n") + report;
        icon = MsgIcon::Exclamation;
    }
    if (!written.ok) {
        closing += QStringLiteral("\n\n脚本文件没能写入：[%1]\n%2").arg(QDir::toNativeSeparators(scriptPath), written.error);
        icon = MsgIcon::Critical;
    } else if (const QString lost = script::unsavableCharacters(lines); !lost.isEmpty()) {
        closing += QStringLiteral("\n\n解说中有脚本文件无法保存的字符：%1\n它们在脚本里写成了“?”。").arg(lost);
    }
    dialogs().message(closing, icon);
    setEnabled(true);
}

} // namespace kinoleaf
