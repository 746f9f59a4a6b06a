#include "editor/start_options.h"

#include "platform/qt_translations.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

#ifndef KINOLEAF_VERSION
#define KINOLEAF_VERSION "0"
#endif

namespace kinoleaf {
namespace {

const QString kNoRemember = QStringLiteral("no-remember");

void describe(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Kinoleaf 图解制作器：打开影片文件夹，逐页写解说。\n"
                       "不给文件夹时，打开上次关闭时的影片和页。"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addOption(QCommandLineOption(
        kNoRemember, QStringLiteral("这次打开的影片和页不记住（下次启动仍回到之前记住的地方），用于临时副本。")));
    parser.addPositionalArgument(QStringLiteral("文件夹"), QStringLiteral("要打开的影片文件夹。"),
                                 QStringLiteral("[文件夹]"));
}

bool asksFor(int argc, char** argv, std::initializer_list<const char*> spellings) {
    for (int i = 1; i < argc; ++i)
        for (const char* s : spellings)
            if (qstrcmp(argv[i], s) == 0) return true;
    return false;
}

} // namespace

void nameApplication() {
    QCoreApplication::setOrganizationName(QStringLiteral("Kinoleaf"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("kinoleaf.github.io"));
    QCoreApplication::setApplicationName(QStringLiteral("Kinoleaf"));
    QCoreApplication::setApplicationVersion(QStringLiteral(KINOLEAF_VERSION));
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) QGuiApplication::setDesktopFileName(kDesktopId);
}

std::optional<int> answerTerminalOptions(int argc, char** argv) {
    const bool version = asksFor(argc, argv, {"-v", "--version"});
    if (!version && !asksFor(argc, argv, {"-h", "--help", "-?", "--help-all"})) return std::nullopt;
    QCoreApplication app(argc, argv);
    nameApplication();
    installChineseQtTexts();
    QCommandLineParser parser;
    describe(parser);
    parser.parse(QCoreApplication::arguments());  // Qt's own options (-platform …) are no error here
    const QString text = version ? QStringLiteral("%1 %2\n").arg(QCoreApplication::applicationName(),
                                                                 QCoreApplication::applicationVersion())
                                 : parser.helpText();
    std::fputs(text.toLocal8Bit().constData(), stdout);
    return 0;
}

std::optional<StartOptions> startOptions(const QStringList& arguments, QString* error) {
    QCommandLineParser parser;
    describe(parser);
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    const QStringList folders = parser.positionalArguments();
    if (folders.size() > 1) {
        *error = QStringLiteral("一次只能打开一个影片文件夹，却给了 %1 个。").arg(folders.size());
        return std::nullopt;
    }
    StartOptions options;
    options.folder = folders.value(0);
    options.remembering = !parser.isSet(kNoRemember);
    return options;
}

} // namespace kinoleaf
