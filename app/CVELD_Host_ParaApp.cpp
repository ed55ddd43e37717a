#include "app/CVELD_Host_ParaApp.h"

#include <QLibraryInfo>
#include <QSettings>
#include <iostream>
#include <string_view>

#include "VeldVersion.h"
#include "app/CAboutDlg.h"
#include "app/CMainFrame.h"
#include "form/CVELD_Host_ParaView.h"
#include "form/CValueDecDlg.h"
#include "form/CValueHexDlg.h"
#include "serial/PortMap.h"

CVELD_Host_ParaApp::CVELD_Host_ParaApp(int& argc, char** argv) : QApplication(argc, argv) {
    // The per-user settings store: every QSettings of the program is this INI file.
    setApplicationName(kApplication);
    setOrganizationName(kOrganization);
    QSettings::setDefaultFormat(QSettings::IniFormat);
    setWindowIcon(QIcon(QStringLiteral(":/res/VELD_Host_Para.png")));
    // Korean whatever the locale, as the rest of the program; without the
    // translations installed Qt's texts stay English.
    if (m_qtTranslator.load(QStringLiteral("qtbase_ko"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        installTranslator(&m_qtTranslator);
    }
    // The two program-wide edit dialogs, after the application object.
    CValueDecDlg::Instance();
    CValueHexDlg::Instance();
}

CVELD_Host_ParaApp::~CVELD_Host_ParaApp() = default;

const char* CVELD_Host_ParaApp::Usage() {
    return "usage: VELD_Host_Para [--port-map COMn=PATH]... [FILE]\n"
           "       VELD_Host_Para --help | --version\n"
           "\n"
           "Sets up a VELD motor drive over an RS-232 line.\n"
           "\n"
           "  --port-map COMn=PATH  the device a COM name in the port list opens\n"
           "                        (repeatable; VELD_PORT_MAP too, the command line wins)\n"
           "  FILE                  entered in the recent-file list; loads nothing\n"
           "  -h, --help            this text\n"
           "      --version         the program's version\n";
}

int CVELD_Host_ParaApp::AnswerInfoRequest(int argc, char** argv) {
    if (argc != 2) return -1;
    const std::string_view argument = argv[1];
    if (argument == "--help" || argument == "-h") {
        std::cout << Usage();
        return 0;
    }
    if (argument == "--version") {
        std::cout << kApplication << ' ' << VeldVersion::kFull << '\n';
        return 0;
    }
    return -1;
}

bool CVELD_Host_ParaApp::ParseCommandLine(const QStringList& arguments, QString& file) {
    // The environment first, so that the command line's mappings win.
    PortMap::LoadEnvironment();
    for (int i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (argument == QStringLiteral("--port-map") && i + 1 < arguments.size()) {
            if (!PortMap::AddMapping(arguments[++i].toStdString())) return false;
        } else if (argument.startsWith(QStringLiteral("--port-map="))) {
            if (!PortMap::AddMapping(argument.mid(11).toStdString())) return false;
        } else if (argument.startsWith(QStringLiteral("-")) || !file.isEmpty()) {
            return false;
        } else {
            file = argument;
        }
    }
    return true;
}

bool CVELD_Host_ParaApp::InitInstance(const QStringList& arguments) {
    // Control hosting and the three-dimensional look are built into Qt Widgets.
    m_recentFiles.Load();
    QString file;
    if (!ParseCommandLine(arguments, file)) {
        std::cerr << Usage();
        return false;
    }
    m_pMainFrame = std::make_unique<CMainFrame>(m_recentFiles);
    connect(m_pMainFrame.get(), &CMainFrame::About, this, &CVELD_Host_ParaApp::OnAppAbout);
    CVELD_Host_ParaDoc& doc = m_pMainFrame->Document();
    if (!file.isEmpty() && doc.OnOpenDocument()) {
        m_recentFiles.Add(file);
        m_pMainFrame->UpdateRecentFileMenu();
    } else if (!doc.OnNewDocument()) {
        return false;
    }
    m_pMainFrame->View()->OnInitialUpdate();
    m_pMainFrame->show();
    m_pMainFrame->update();
    return true;
}

void CVELD_Host_ParaApp::OnAppAbout() {
    CAboutDlg about(m_pMainFrame.get());
    about.exec();
}

void CVELD_Host_ParaApp::ExitInstance() {
    m_recentFiles.Save();
    m_pMainFrame.reset();
}
