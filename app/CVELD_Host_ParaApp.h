#pragma once

#include <QApplication>
#include <QStringList>
#include <QTranslator>
#include <memory>

#include "app/RecentFileList.h"

class CMainFrame;

// The application object: starts the program in the framework's order and
// keeps the settings, the document and the frame for the run.
class CVELD_Host_ParaApp : public QApplication {
    Q_OBJECT
  public:
    static constexpr const char* kOrganization = "Local AppWizard-Generated Applications";
    static constexpr const char* kApplication = "VELD_Host_Para";

    CVELD_Host_ParaApp(int& argc, char** argv);
    ~CVELD_Host_ParaApp() override;

    // `arguments` without the program name: [--port-map COMn=PATH]... [file].
    // False ends the program at once.
    bool InitInstance(const QStringList& arguments);
    // Saves the framework's settings (the recent-file list).
    void ExitInstance();

    void OnAppAbout();

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
    RecentFileList& RecentFiles() { return m_recentFiles; }

    static const char* Usage();
    // A lone --help or --version is answered on stdout before the application
    // object exists, so it needs no display. The exit code, or -1 to start.
    static int AnswerInfoRequest(int argc, char** argv);

  private:
    bool ParseCommandLine(const QStringList& arguments, QString& file);

    // Qt's own Korean texts, for its standard dialogs and buttons.
    QTranslator m_qtTranslator;
    RecentFileList m_recentFiles;
    std::unique_ptr<CMainFrame> m_pMainFrame;
};
