#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>
#include <QtTest>

#include "app/diagnostics.h"
#include "ui/main_window.h"
#include "ui/qt_port.h"
#include "ui/text_1252.h"

using namespace avelor;

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void starts_untitled_with_sketchpad_size();
    void exit_closes_the_window();
    void error_box_has_caption_icon_and_stays_on_screen();
    void question_escape_is_cancel();
    void text_1252_round_trip();
};

void MainWindowTest::starts_untitled_with_sketchpad_size()
{
    ui::MainWindow window;
    QCOMPARE(window.windowTitle(), QStringLiteral("AVELORW3 - (untitled)"));
    QCOMPARE(window.size(), QSize(66 * 8 + 25, 58 * 8 + 100));
    QVERIFY(window.statusBar() != nullptr);
    QVERIFY(window.findChild<QWidget*>(QStringLiteral("SketchPadWindow")) != nullptr);
    window.set_project_name("office.prj");
    QCOMPARE(window.windowTitle(), QStringLiteral("AVELORW3 - office.prj"));
}

void MainWindowTest::exit_closes_the_window()
{
    ui::MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto* file = window.menuBar()->findChild<QMenu*>(QStringLiteral("FileMenu"));
    QVERIFY(file != nullptr);
    QCOMPARE(file->title(), QStringLiteral("&File"));
    QVERIFY(file->actions().contains(window.exit_action()));
    window.exit_action()->trigger();
    QVERIFY(!window.isVisible());
}

void MainWindowTest::error_box_has_caption_icon_and_stays_on_screen()
{
    ui::MainWindow window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ui::QtUserPort port;
    port.set_main_window(&window);
    set_user_port(&port);

    QString caption, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QRect geometry;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        caption = box->windowTitle();
        text = box->text();
        icon = box->icon();
        geometry = box->frameGeometry();
        box->accept();
    });
    reset_error_count();
    int count = report_error(ERROR, {"Bad integer: ", "12a"});
    set_user_port(nullptr);

    QCOMPARE(count, 1);
    QCOMPARE(caption, QStringLiteral("ERROR"));
    QVERIFY(text.startsWith(QStringLiteral(" Bad integer: 12a\n  (file main_window_tes, line ")));
    QCOMPARE(icon, QMessageBox::Critical);
    const QRect area = window.screen()->availableGeometry();
    QVERIFY(area.contains(geometry.topLeft()));
}

void MainWindowTest::question_escape_is_cancel()
{
    ui::QtUserPort port;
    set_user_port(&port);
    QString caption;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        QVERIFY(box != nullptr);
        caption = box->windowTitle();
        QTest::keyClick(box, Qt::Key_Escape);
    });
    int answer = ask_question_or_cancel("Save changes to current project file: a.prj ?");
    set_user_port(nullptr);
    QCOMPARE(caption, QStringLiteral("Question"));
    QCOMPARE(answer, -1);
}

void MainWindowTest::text_1252_round_trip()
{
    const std::string bytes = "m\xB2 \xB5g \xB0""C \x80 \x9F";
    QString text = ui::from_1252(bytes);
    QCOMPARE(text, QString::fromUtf8("m² µg °C € Ÿ"));
    QCOMPARE(ui::to_1252(text), bytes);
    QCOMPARE(ui::to_1252(QString::fromUtf8("\u4e2d")), std::string("?"));
}

QTEST_MAIN(MainWindowTest)
#include "main_window_test.moc"
