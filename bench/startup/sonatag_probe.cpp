// The program exactly as it starts, reporting when its window is first painted.
#include "app/sonatag_app.h"
#include "bench/startup/first_paint.h"

int main(int argc, char** argv) {
    CSonatagApp app(argc, argv);
    ReportFirstPaintAndClose(app);
    app.InitInstance();
    return 0;
}
