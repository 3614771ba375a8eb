// Renders the window's dialogs on a real display (scripts/screenshots runs it
// under Xvfb) and saves what the screen shows, a margin of desktop around
// each, as PNG files:  ui-screenshots OUTPUT_DIR SKIN_DIR
#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <functional>

#include <QImageWriter>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include "ui/dialogs/about_box.h"
#include "ui/list/check_list.h"
#include "ui/preview/contact_board.h"
#include "ui/preview/conversation_board.h"
#include "ui/preview/image_board.h"
#include "ui/tree/result_tree.h"
#include "ui/dialogs/msg_box.h"
#include "ui/recovery/recover_progress_dialog.h"
#include "ui/skin/font_setup.h"
#include "ui/skin/skin_folder.h"
#include "ui_fixtures.h"

using namespace quen;

namespace {

constexpr int kMargin = 14;
QString g_out;
int g_failures = 0;

// A plain desktop behind the dialogs, so their shape shows against it.
class Desktop : public QWidget {
public:
    Desktop() {
        setWindowFlags(Qt::FramelessWindowHint);
        setAutoFillBackground(true);
        QPalette p = palette();
        p.setColor(QPalette::Window, QColor(196, 203, 212));
        setPalette(p);
        setGeometry(QGuiApplication::primaryScreen()->geometry());
    }
};

void settle(int ms = 150) {
    QTest::qWait(ms);
    QCoreApplication::processEvents();
}

void save(QWidget& w, const QString& name) {
    settle();
    const QRect r = w.frameGeometry().adjusted(-kMargin, -kMargin, kMargin, kMargin);
    const QPixmap shot = QGuiApplication::primaryScreen()->grabWindow(0, r.x(), r.y(), r.width(), r.height());
    const QString path = QDir(g_out).filePath(name);
    if (shot.isNull() || !shot.save(path)) {
        std::fprintf(stderr, "ui-screenshots: cannot save %s\n", qPrintable(path));
        ++g_failures;
        return;
    }
    std::printf("wrote %s\n", qPrintable(path));
}

void message_boxes() {
    ui::CMsgBox one(ui::CMsgBox::kWarning, ui::CMsgBox::kOkButton, "Please select the directory to save the files recovered.", nullptr);
    one.show();
    save(one, "message-box-one-button.png");
    one.hide();
    ui::CMsgBox two(ui::CMsgBox::kWarning, ui::CMsgBox::kYesButton | ui::CMsgBox::kNoButton,
                    "Are you sure to go back to reload the data from Android phone?", nullptr);
    two.show();
    save(two, "message-box-two-buttons.png");
    two.hide();
    ui::CMsgBox info(ui::CMsgBox::kInformation, ui::CMsgBox::kYesButton | ui::CMsgBox::kNoButton,
                     "A new version of (2.1.0.36) is available. Click Yes to open download page.", nullptr);
    info.show();
    save(info, "message-box-new-version.png");
}

void about_box() {
    ui::CAboutBox about(nullptr);
    about.show();
    save(about, "about-box.png");
}

void progress_dialog() {
    test::Phone phone;
    test::Card card;
    phone.check_contacts(7);
    test::TempDir out("quen-shots");
    test::Gate gate;
    ui::RecoveryInputs in = test::recovery_inputs(phone, card, out.path(), std::string(QUEN_SOURCE_DIR) + "/resources/template.html");
    in.on_file = gate.hook();
    ui::DhRecoverProgressDialog dlg(std::move(in), nullptr);
    dlg.start();
    dlg.show();
    while (!gate.is_reached()) settle(20);
    settle(500);  // one refresh of the status
    save(dlg, "recovery-running.png");
    gate.release();
    while (!dlg.worker_done()) settle(20);
    save(dlg, "recovery-finished.png");
}

// The results page's controls at their places over its background: the tree,
// the list, and one preview panel at a time.
class ResultsPage : public QWidget {
public:
    ResultsPage() {
        setWindowFlags(Qt::FramelessWindowHint);
        resize(984, 674);
        background_ = ui::load_skin_picture("mainbg2.png");
        tree = new ui::CTreeViewEx1(this);
        tree->setGeometry(1, 32, 221, 597);
        list = new ui::CListViewCheck1(this);
        list->setGeometry(225, 119, 517, 508);
        list->set_row_height(30);
        contact = new ui::CContactInfoBoard(this);
        conversation = new ui::CMsgInfoBoard(this);
        picture = new ui::DhImagePreviewBoard(this);
        for (QWidget* w : std::initializer_list<QWidget*>{contact, conversation, picture}) {
            w->setGeometry(743, 120, 240, 507);
            w->hide();
        }
    }
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.drawPixmap(rect(), background_);
    }
    ui::CTreeViewEx1* tree;
    ui::CListViewCheck1* list;
    ui::CContactInfoBoard* contact;
    ui::CMsgInfoBoard* conversation;
    ui::DhImagePreviewBoard* picture;

private:
    QPixmap background_;
};

// A phone's worth of records in several scripts, a few deleted.
struct SamplePhone {
    records::ContactMap contacts;
    records::ThreadMap threads;
    records::ContactList contact_list;
    records::ThreadList thread_list;

    SamplePhone() {
        struct C {
            const char* name;
            const char* phone;
            const char* org;
            const char* email;
            bool deleted;
        };
        const C cs[] = {
            {"Anna Schmidt", "+49 30 1234567", "Stadtwerke", "anna@example.de", true},
            {"\u041e\u043b\u0435\u0433 \u041f\u0435\u0442\u0440\u043e\u0432", "+7 495 555-01-23", "", "oleg@example.ru", true},
            {"Bernard Dupont", "+33 1 42 68 53 00", "Atelier D", "b.dupont@example.fr", false},
            {"\u738b\u5c0f\u660e", "+86 10 6552 9988", "\u5317\u4eac\u5927\u5b66", "wang@example.cn", false},
            {"\u0395\u03bb\u03ad\u03bd\u03b7 \u03a0\u03b1\u03c0\u03b1\u03b4\u03bf\u03c0\u03bf\u03cd\u03bb\u03bf\u03c5", "+30 21 0324 1500", "", "eleni@example.gr", false},
            {"Mar\u00eda Garc\u00eda", "+34 91 555 0101", "Farmacia Sol", "maria@example.es", false},
            {"\u0633\u0627\u0631\u0627 \u0623\u062d\u0645\u062f", "+20 2 2345 6789", "", "sara@example.eg", false},
            {"Tom\u00e1\u0161 Nov\u00e1k", "+420 224 111 222", "", "tomas@example.cz", false},
            {"\u7530\u4e2d \u82b1\u5b50", "+81 3-1234-5678", "\u682a\u5f0f\u4f1a\u793e\u30b5\u30af\u30e9", "hanako@example.jp", false},
            {"John Miller", "+1 212 555 0147", "Miller & Sons", "john@example.com", false},
            {"Priya Sharma", "+91 22 5555 0199", "", "priya@example.in", false},
            {"Zo\u00eb van Dijk", "+31 20 555 0123", "Fietsen BV", "zoe@example.nl", false},
        };
        int64_t key = 1;
        for (const C& c : cs) {
            auto& r = records::find_or_create_contact(contacts, -key++, c.deleted);
            r.name = c.name;
            r.phone = c.phone;
            r.organization = c.org;
            r.email = c.email;
            r.note = "Met at the conference in Lyon; prefers messages to calls.";
            r.postal_address = "Hauptstra\u00dfe 12|10115 Berlin";
            r.nickname = "";
        }
        contacts.begin()->second.nickname = "Anni";
        contact_list = records::build_contact_list(contacts);
        contact_list[3]->checked = false;
        contact_list[6]->checked = false;

        auto& t = records::find_or_create_thread(threads, "+49 30 1234567", 4, false);
        t.name = "Anna Schmidt";
        struct M {
            const char* date;
            int type;
            const char* body;
        };
        const M ms[] = {
            {"2024-03-14 18:02:11", 1, "Are you still coming tonight?"},
            {"2024-03-14 18:05:40", 2, "Yes! Leaving the office now \xf0\x9f\x9a\xb2"},
            {"2024-03-14 18:06:02", 1, "\u041e\u0442\u043b\u0438\u0447\u043d\u043e, \u0434\u043e \u0432\u0441\u0442\u0440\u0435\u0447\u0438!"},
            {"2024-03-14 18:20:13", 2, "\u6211\u5feb\u5230\u4e86\uff0c\u4e94\u5206\u949f"},
            {"2024-03-14 18:31:55", 1, "\u0395\u03af\u03bc\u03b1\u03c3\u03c4\u03b5 \u03c3\u03c4\u03bf \u03c4\u03c1\u03b1\u03c0\u03ad\u03b6\u03b9 \u03b4\u03af\u03c0\u03bb\u03b1 \u03c3\u03c4\u03bf \u03c0\u03b1\u03c1\u03ac\u03b8\u03c5\u03c1\u03bf."},
            {"2024-03-14 18:33:08", 2, "\u0634\u0643\u0631\u0627\u064b \u062c\u0632\u064a\u0644\u0627\u064b"},
        };
        for (const M& m : ms) {
            records::MessageRecord r;
            r.date_text = m.date;
            r.type = m.type;
            r.body = m.body;
            records::add_message(t, r);
        }
        for (int i = 0; i < 4; ++i) {
            auto& other = records::find_or_create_thread(threads, "+49 170 555 01" + std::to_string(10 + i), 10 + i, i == 0);
            other.name = i == 1 ? "Bernard Dupont" : "";
            records::MessageRecord r;
            r.date_text = "2024-02-0" + std::to_string(i + 1) + " 09:00:00";
            r.type = 1;
            r.body = "Your code is " + std::to_string(4711 + i);
            records::add_message(other, r);
        }
        thread_list = records::build_thread_list(threads);
    }
};

// A holiday photo, painted.
std::string write_photo(const std::string& dir) {
    QImage img(1200, 800, QImage::Format_RGB32);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 520);
    sky.setColorAt(0, QColor(255, 170, 110));
    sky.setColorAt(1, QColor(255, 228, 180));
    p.fillRect(img.rect(), sky);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 245, 210));
    p.drawEllipse(QPointF(820, 380), 90, 90);
    QLinearGradient sea(0, 500, 0, 800);
    sea.setColorAt(0, QColor(40, 110, 160));
    sea.setColorAt(1, QColor(15, 50, 90));
    p.fillRect(QRect(0, 500, 1200, 300), sea);
    QPainterPath hill;
    hill.moveTo(0, 520);
    hill.cubicTo(250, 330, 420, 360, 640, 520);
    hill.closeSubpath();
    p.setBrush(QColor(60, 70, 90));
    p.drawPath(hill);
    p.end();
    const std::string path = dir + "/1-1832.jpg";
    QImageWriter w(QString::fromStdString(path), "jpg");
    w.setQuality(90);
    w.write(img);
    return path;
}

void results_pages() {
    SamplePhone phone;
    test::Card card;
    test::TempDir dir("quen-shots-pictures");
    ResultsPage page;
    page.move(40, 30);
    auto* root = page.tree->insert_item(nullptr, ui::kItemPhone, "android phone", "treeroot.png", true);
    auto* contacts = page.tree->insert_item(root, ui::kItemContacts, QString("Contacts (%1)").arg(phone.contacts.size()), "contacts.png");
    auto* messages = page.tree->insert_item(root, ui::kItemMessages, QString("Message (%1)").arg(phone.threads.size()), "message.png");
    auto* disk = page.tree->insert_item(root, ui::kItemDisk, "card.img", "disk.png", true);
    auto* jpg = page.tree->insert_item(disk, ui::kItemFileType, "jpg (3)", "folder.png");
    page.tree->insert_item(disk, ui::kItemFileType, "png (1)", "folder.png");
    page.tree->expandAll();
    for (auto* i : {root, contacts, messages, disk, jpg}) page.tree->set_checked(i, true);
    page.tree->set_checked(contacts, false);
    page.tree->set_checked(root, false);
    page.show();

    page.tree->setCurrentItem(contacts);
    page.list->show_category(ui::RowSource::contacts(&phone.contact_list), false);
    page.list->selectRow(2);
    page.contact->show_contact(phone.contact_list[2]);
    page.contact->show();
    save(page, "results-contacts.png");

    page.contact->hide();
    page.tree->setCurrentItem(messages);
    page.list->show_category(ui::RowSource::threads(&phone.thread_list), true);
    for (int i = 0; i < page.list->row_count(); ++i)
        if (page.list->row(i).record == phone.thread_list[0] || static_cast<records::ThreadRecord*>(page.list->row(i).record)->name == "Anna Schmidt")
            page.list->selectRow(i);
    for (auto* t : phone.thread_list)
        if (t->name == "Anna Schmidt") page.conversation->show_conversation(t);
    page.conversation->show();
    save(page, "results-conversation.png");

    page.conversation->hide();
    page.tree->setCurrentItem(jpg);
    cdr::ScanTreeNode* jpg_node = nullptr;
    for (auto& child : card.tree->children)
        if (child->is_file_type() && !jpg_node) jpg_node = child.get();
    page.list->show_category(ui::RowSource::files(jpg_node), true);
    page.list->selectRow(1);
    page.picture->set_requested(write_photo(dir.path()), "16.jpg", 70000);
    page.picture->show();
    save(page, "results-picture.png");
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: ui-screenshots OUTPUT_DIR SKIN_DIR\n");
        return 2;
    }
    g_out = argv[1];
    QDir().mkpath(g_out);
    ui::install_program_fonts();
    ui::set_skin_folder(argv[2]);
    Desktop desktop;
    desktop.show();
    settle();
    message_boxes();
    about_box();
    progress_dialog();
    results_pages();
    return g_failures == 0 ? 0 : 1;
}
