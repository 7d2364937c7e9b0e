// divad: the stand-alone reader of long plain-text and HTML novels.

#include "standalone/app/readerapp.h"

#include <cstdio>

int main(int argc, char *argv[])
{
    divad::ReaderApp app(argc, argv);
    divad::ReaderApp::Options options;
    QString error;
    if (!divad::ReaderApp::ParseOptions(QCoreApplication::arguments(), &options, &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return 2;
    }
    return app.InitInstance(options);
}
