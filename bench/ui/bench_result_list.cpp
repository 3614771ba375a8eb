// Speed of the checked list with a large category: the time to show the first
// page of 50,000 contacts (rows made, first row selected, painted), then to
// scroll to the end of all of them (100 rows fetched at each end, each step
// painted), on the offscreen platform.
//
//   bench_result_list [COUNT]      default 50000
#include <QApplication>
#include <QScrollBar>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "ui/list/check_list.h"
#include "ui/skin/font_setup.h"
#include "ui/skin/skin_folder.h"

using Clock = std::chrono::steady_clock;

namespace {

double ms_since(Clock::time_point t) { return std::chrono::duration<double, std::milli>(Clock::now() - t).count(); }

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    quen::ui::install_program_fonts();
    quen::ui::set_skin_folder(QString(QUEN_SOURCE_DIR) + "/resources/image");
    const int count = argc > 1 ? std::atoi(argv[1]) : 50000;

    quen::records::ContactMap map;
    for (int i = 0; i < count; ++i) {
        auto& c = quen::records::find_or_create_contact(map, -(i + 1), i % 7 == 0);
        c.name = "Contact " + std::to_string(i);
        c.phone = "+49 30 " + std::to_string(1000000 + i);
        c.organization = i % 3 ? "Example GmbH" : "";
        c.email = "person" + std::to_string(i) + "@example.org";
    }
    quen::records::ContactList list = quen::records::build_contact_list(map);

    QWidget window;
    window.resize(984, 674);
    auto* view = new quen::ui::CListViewCheck1(&window);
    view->setGeometry(225, 119, 517, 508);
    view->set_row_height(30);
    window.show();
    QCoreApplication::processEvents();

    const auto first = Clock::now();
    view->show_category(quen::ui::RowSource::contacts(&list), true);
    view->viewport()->repaint();
    const double first_ms = ms_since(first);

    const auto scroll = Clock::now();
    int steps = 0;
    while (true) {
        view->verticalScrollBar()->setValue(view->verticalScrollBar()->maximum());
        view->viewport()->repaint();
        if (view->load_more() == 0) break;
        ++steps;
    }
    const double scroll_ms = ms_since(scroll);

    std::printf("contacts:             %d (%d rows shown at the end)\n", count, view->row_count());
    std::printf("first page shown:     %.1f ms\n", first_ms);
    std::printf("scrolled to the end:  %.1f ms in %d fetches of 100 (%.2f ms each, painted)\n", scroll_ms, steps,
                steps ? scroll_ms / steps : 0.0);
    return view->row_count() == count ? 0 : 1;
}
