// bench_bare_folder DIR: the folder-chooser baseline, a plain non-native QFileDialog for folders in DIR,
// shown until the bench ends it by its PID. Prints nothing; the bench sees the window being mapped.
#include <QApplication>
#include <QFileDialog>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QFileDialog dialog;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (argc > 1) {
        dialog.setDirectory(QString::fromLocal8Bit(argv[1]));
    }
    dialog.show();
    return QApplication::exec();
}
