// One test program for the editor: the viewport's camera and drawing, then the window and tree pane.

#include <QApplication>

int RunCameraTests(int argc, char** argv);
int RunViewTests(int argc, char** argv);
int RunFrameTests(int argc, char** argv);
int RunTextureTests(int argc, char** argv);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int failures = 0;
    failures += RunCameraTests(argc, argv);
    failures += RunViewTests(argc, argv);
    failures += RunFrameTests(argc, argv);
    failures += RunTextureTests(argc, argv);
    return failures == 0 ? 0 : 1;
}
