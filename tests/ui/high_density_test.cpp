// The SketchPad on a screen of twice the density (scale factor 2): the
// cells are drawn at twice the pixels, crisp, rather than enlarged.
#include <QAction>
#include <QApplication>
#include <QImage>
#include <QPixmap>
#include <QtTest>

#include <cstdlib>
#include <string>

#include "editing/editor_session.h"
#include "sketchpad/renderer.h"
#include "support/scripted_port.h"
#include "ui/command_table.h"
#include "ui/main_window.h"
#include "ui/sketchpad_widget.h"

using namespace avelor;

namespace {

const std::string kOffice = std::string(AVELOR_SOURCE_DIR) + "/examples/office.prj";

// The pixels of a render as the screen shows them (opaque RGB).
QRgb shown(std::uint32_t pixel) { return pixel | 0xff000000u; }

}  // namespace

class HighDensityTest : public QObject {
    Q_OBJECT
private slots:
    void sketchpad_draws_twice_the_pixels_crisply();
};

void HighDensityTest::sketchpad_draws_twice_the_pixels_crisply()
{
    testing::ScriptedPort port;
    EditorSession session;
    QVERIFY(open_in_session(session, kOffice));
    ui::MainWindow window(session);
    window.project_replaced();
    window.resize(420, 380);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    ui::SketchPadWidget* pad = window.sketchpad();
    QCOMPARE(pad->devicePixelRatioF(), 2.0);
    QCOMPARE(session.view.cell_size(), 8);

    const QImage screen = pad->viewport()->grab().toImage();
    QCOMPARE(screen.width(), 2 * pad->viewport()->width());

    // What the renderer draws at 16-pixel cells, pixel for pixel.
    const SketchView& view = session.view;
    const int cells = 12;
    RenderSettings settings = pad->paint_settings();
    settings.cell_size = 16;
    PixelImage sharp;
    QVERIFY(sharp.resize(cells * 16, cells * 16));
    render_cells(session.grid, &session.project(), settings, view.first_row(), view.first_col(), sharp);
    // The 8-pixel picture enlarged, for comparison: it must not be that.
    settings.cell_size = 8;
    PixelImage plain;
    QVERIFY(plain.resize(cells * 8, cells * 8));
    render_cells(session.grid, &session.project(), settings, view.first_row(), view.first_col(), plain);

    int same = 0;
    int like_enlarged = 0;
    for (int y = 0; y < cells * 16; ++y)
        for (int x = 0; x < cells * 16; ++x) {
            const QRgb at = screen.pixel(x, y);
            if (at == shown(sharp.at(x, y))) ++same;
            if (at == shown(plain.at(x / 2, y / 2))) ++like_enlarged;
        }
    QCOMPARE(same, cells * 16 * cells * 16);
    QVERIFY2(like_enlarged < same, "the picture is the small one enlarged");

    // The toolbar's own pictures come drawn at both densities.
    for (int command : {ui::cmd::DrawWalls, ui::cmd::LargerIcons, ui::cmd::Cut})
        QVERIFY(window.command_action(command)->icon().availableSizes().contains(QSize(32, 32)));
    QVERIFY(port.boxes.empty());
}

int main(int argc, char** argv)
{
    setenv("QT_SCALE_FACTOR", "2", 1);
    QApplication app(argc, argv);
    HighDensityTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "high_density_test.moc"
