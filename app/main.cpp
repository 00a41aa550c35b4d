#include "app/sonatag_app.h"

int main(int argc, char** argv) {
    CSonatagApp app(argc, argv);
    app.InitInstance();
    return 0;
}
