// The perspective view's tests need a display with OpenGL: run under Xvfb.

#include <QApplication>

int RunPerspectiveTests(int argc, char** argv);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    return RunPerspectiveTests(argc, argv) == 0 ? 0 : 1;
}
