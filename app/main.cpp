#include "app/CVELD_Host_ParaApp.h"
#include "form/GulimFamilies.h"
#include "serial/ExclusiveRelease.h"

int main(int argc, char** argv) {
    ExclusiveRelease::Install();
    if (int answered = CVELD_Host_ParaApp::AnswerInfoRequest(argc, argv); answered >= 0) {
        return answered;
    }
    GulimFamilies::LookUpEarly();
    CVELD_Host_ParaApp app(argc, argv);
    if (!app.InitInstance(app.arguments().mid(1))) return 2;
    int result = app.exec();
    app.ExitInstance();
    return result;
}
