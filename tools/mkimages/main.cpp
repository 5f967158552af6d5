// Draws every image of the touch GUI framework in a day and a night variant:
//   mkimages <res folder>   writes <res>/day/*.png and <res>/night/*.png
// Flat shapes and simple glyphs only; day is light, night is dark and red-tinted.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QTextStream>

#include <functional>
#include <tuple>

namespace {

struct Palette
{
    QColor face;      // button face
    QColor faceDown;  // pressed face
    QColor ink;       // glyph
    QColor accent;    // checked ring
    QColor ok, fail, warn, info;
};

Palette paletteFor(bool night)
{
    if (!night)
        return {QColor(0xe6, 0xea, 0xf0), QColor(0xb8, 0xc4, 0xd4), QColor(0x22, 0x33, 0x55),
                QColor(0x2a, 0x7f, 0xd4), QColor(0x2e, 0x9e, 0x4a), QColor(0xd0, 0x30, 0x30),
                QColor(0xe0, 0x9a, 0x10), QColor(0x2a, 0x7f, 0xd4)};
    return {QColor(0x2a, 0x10, 0x10), QColor(0x48, 0x18, 0x18), QColor(0xc8, 0x50, 0x40),
            QColor(0xa0, 0x30, 0x20), QColor(0x70, 0x80, 0x30), QColor(0xc0, 0x20, 0x20),
            QColor(0xb0, 0x70, 0x20), QColor(0x90, 0x40, 0x40)};
}

using Glyph = std::function<void(QPainter &, const QRectF &, const QColor &)>;

QPainterPath arrowPath(const QRectF &r, int dir) // 0 up, 1 down, 2 left, 3 right
{
    QPainterPath p;
    const QPointF c = r.center();
    const qreal s = r.width() * 0.28;
    QPolygonF tri;
    switch (dir) {
    case 0: tri << QPointF(c.x(), c.y() - s) << QPointF(c.x() + s, c.y() + s * 0.6) << QPointF(c.x() - s, c.y() + s * 0.6); break;
    case 1: tri << QPointF(c.x(), c.y() + s) << QPointF(c.x() + s, c.y() - s * 0.6) << QPointF(c.x() - s, c.y() - s * 0.6); break;
    case 2: tri << QPointF(c.x() - s, c.y()) << QPointF(c.x() + s * 0.6, c.y() - s) << QPointF(c.x() + s * 0.6, c.y() + s); break;
    default: tri << QPointF(c.x() + s, c.y()) << QPointF(c.x() - s * 0.6, c.y() - s) << QPointF(c.x() - s * 0.6, c.y() + s); break;
    }
    p.addPolygon(tri);
    p.closeSubpath();
    return p;
}

Glyph arrow(int dir)
{
    return [dir](QPainter &p, const QRectF &r, const QColor &ink) { p.fillPath(arrowPath(r, dir), ink); };
}

Glyph cross()
{
    return [](QPainter &p, const QRectF &r, const QColor &ink) {
        const qreal m = r.width() * 0.3;
        p.setPen(QPen(ink, r.width() * 0.1, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(r.topLeft() + QPointF(m, m), r.bottomRight() - QPointF(m, m));
        p.drawLine(r.topRight() + QPointF(-m, m), r.bottomLeft() + QPointF(m, -m));
    };
}

Glyph check()
{
    return [](QPainter &p, const QRectF &r, const QColor &ink) {
        p.setPen(QPen(ink, r.width() * 0.1, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const qreal w = r.width();
        QPolygonF line;
        line << r.topLeft() + QPointF(w * 0.27, w * 0.52) << r.topLeft() + QPointF(w * 0.43, w * 0.68)
             << r.topLeft() + QPointF(w * 0.73, w * 0.32);
        p.drawPolyline(line);
    };
}

Glyph letter(const QString &text)
{
    return [text](QPainter &p, const QRectF &r, const QColor &ink) {
        QFont f(QStringLiteral("DejaVu Sans"));
        f.setBold(true);
        f.setPixelSize(int(r.height() * (text.size() > 1 ? 0.3 : 0.5)));
        p.setFont(f);
        p.setPen(ink);
        p.drawText(r, Qt::AlignCenter, text);
    };
}

Glyph bars(int count)
{
    return [count](QPainter &p, const QRectF &r, const QColor &ink) {
        const qreal h = r.height() * 0.08;
        for (int i = 0; i < count; ++i) {
            const qreal y = r.top() + r.height() * (0.32 + 0.16 * i);
            p.fillRect(QRectF(r.left() + r.width() * 0.28, y, r.width() * 0.44, h), ink);
        }
    };
}

// A round button face with a glyph, in one of the five button states.
QImage button(int size, const Palette &pal, const Glyph &glyph, int state, bool round = true)
{
    QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r(2, 2, size - 4, size - 4);
    const bool pressed = state == 1 || state == 3;
    const bool checked = state == 2 || state == 3;
    QColor face = pressed ? pal.faceDown : pal.face;
    QColor ink = pal.ink;
    if (state == 4) {
        face.setAlpha(90);
        ink.setAlpha(90);
    }
    p.setPen(QPen(checked ? pal.accent : ink.darker(110), checked ? 3 : 1));
    p.setBrush(face);
    if (round)
        p.drawEllipse(r);
    else
        p.drawRoundedRect(r, 6, 6);
    glyph(p, r, ink);
    return img;
}

QImage plain(int w, int h, const std::function<void(QPainter &)> &draw)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return img;
}

QImage badge(int size, const QColor &colour, const Glyph &glyph)
{
    return plain(size, size, [&](QPainter &p) {
        const QRectF r(2, 2, size - 4, size - 4);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawEllipse(r);
        glyph(p, r, Qt::white);
    });
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        QTextStream(stderr) << "usage: mkimages <res folder>\n";
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    const char *const states[5] = {"_normal", "_pressed", "_checked", "_pressed_checked", "_disabled"};
    int written = 0;
    for (const bool night : {false, true}) {
        const Palette pal = paletteFor(night);
        const QString dir = root + (night ? "/night/" : "/day/");
        QDir().mkpath(dir);
        auto save = [&](const QString &name, const QImage &img) {
            img.save(dir + name + ".png", "PNG");
            ++written;
        };
        // Images shown on buttons: the base name and the five button states.
        const QList<QPair<QString, Glyph>> buttons = {
            {"zkgui_help", letter("?")},
            {"zkgui_close_cross", cross()},
            {"zkgui_tools", bars(3)},
            {"zkgui_tools_close", cross()},
            {"zkgui_option_ok", check()},
            {"zkgui_option_cancel", cross()},
            {"zkgui_option_store", arrow(1)},
            {"zkgui_option_menu_arrow_up", arrow(0)},
            {"zkgui_option_menu_arrow_down", arrow(1)},
            {"zkgui_option_menu_arrow_left", arrow(2)},
            {"zkgui_option_menu_arrow_right", arrow(3)},
            {"zkgui_selecter_arrow_up", arrow(0)},
            {"zkgui_selecter_arrow_down", arrow(1)},
            {"zkgui_keyboard", bars(3)},
            {"zkgui_file_home", letter("H")},
            {"zkgui_button_device_report", letter("R")},
            {"zkgui_settings_power_battery", letter("B")},
        };
        for (const auto &b : buttons) {
            save(b.first, button(48, pal, b.second, 0));
            for (int s = 0; s < 5; ++s)
                save(b.first + states[s], button(48, pal, b.second, s));
        }
        // The expand mark beside a group heading: no higher than the heading line,
        // so that it leaves the group's first value free.
        save("zkgui_expand", button(24, pal, arrow(1), 0));
        for (int s = 0; s < 5; ++s)
            save(QString("zkgui_expand") + states[s], button(24, pal, arrow(1), s));
        // The lock under a configuration field's image: small enough to stay in that column.
        save("zkgui_lock", button(24, pal, letter("L"), 0));
        for (int s = 0; s < 5; ++s)
            save(QString("zkgui_lock") + states[s], button(24, pal, letter("L"), s));
        save("zkgui_button_device_report_40", button(40, pal, letter("R"), 0));
        for (int s = 0; s < 5; ++s)
            save(QString("zkgui_button_device_report_40") + states[s], button(40, pal, letter("R"), s));
        // Check box in its four states (normal, pressed, checked, pressed and checked).
        const Glyph none = [](QPainter &, const QRectF &, const QColor &) {};
        for (int s = 0; s < 5; ++s)
            save(QString("zkgui_checkbox") + states[s], button(32, pal, (s == 2 || s == 3) ? check() : none, s == 2 || s == 3 ? 0 : s, false));
        save("zkgui_checkbox", button(32, pal, none, 0, false));
        // Keys of the on-screen keyboard.
        const QList<QPair<QString, Glyph>> keys = {
            {"zkgui_key", none}, {"zkgui_key_arrow_up", arrow(0)}, {"zkgui_key_arrow_down", arrow(1)},
            {"zkgui_key_arrow_left", arrow(2)}, {"zkgui_key_arrow_right", arrow(3)},
        };
        for (const auto &k : keys) {
            save(k.first, button(56, pal, k.second, 0, false));
            for (int s = 0; s < 5; ++s)
                save(k.first + states[s], button(56, pal, k.second, s, false));
        }
        // Marks of the keys that also show their name: a narrow strip left of the
        // name (the key draws the name 16 px further right), so none covers it.
        const QList<QPair<QString, Glyph>> keyMarks = {
            {"zkgui_key_backspace", arrow(2)}, {"zkgui_key_enter", check()}, {"zkgui_key_shift", arrow(0)},
        };
        for (const auto &k : keyMarks) {
            auto mark = [&](int state) {
                return plain(16, 58, [&](QPainter &p) {
                    QColor ink = pal.ink;
                    if (state == 4)
                        ink.setAlpha(90);
                    k.second(p, QRectF(0, 21, 16, 16), ink);
                });
            };
            save(k.first, mark(0));
            for (int s = 0; s < 5; ++s)
                save(k.first + states[s], mark(s));
        }
        // Marks and checks of configuration rows.
        save("zkgui_mark_checked", badge(24, pal.accent, check()));
        save("zkgui_mark_normal", plain(24, 24, [&](QPainter &p) {
            p.setPen(QPen(pal.ink, 2));
            p.drawEllipse(QRectF(3, 3, 18, 18));
        }));
        save("zkgui_check_ok", badge(24, pal.ok, check()));
        save("zkgui_check_fail", badge(24, pal.fail, cross()));
        // Status, event and message icons.
        save("zkgui_status_error", badge(32, pal.fail, letter("!")));
        save("zkgui_status_warning", badge(32, pal.warn, letter("!")));
        save("zkgui_status_info", badge(32, pal.info, letter("i")));
        save("zkgui_event_error", badge(32, pal.fail, letter("!")));
        save("zkgui_message_error", badge(48, pal.fail, letter("!")));
        save("zkgui_message_warning", badge(48, pal.warn, letter("!")));
        save("zkgui_message_info", badge(48, pal.info, letter("i")));
        save("zkgui_message_question", badge(48, pal.info, letter("?")));
        save("zkgui_message_distress", badge(48, QColor(220, 0, 0), letter("SOS")));
        save("zkgui_message_new_message", badge(48, pal.accent, bars(3)));
        save("zkgui_message_new_distress_message", badge(48, QColor(220, 0, 0), bars(3)));
        // Storage locations.
        save("zkgui_device_msgterminal", badge(48, pal.accent, bars(2)));
        save("zkgui_device_usb", badge(48, pal.accent, letter("USB")));
        save("zkgui_device_sdcard", badge(48, pal.accent, letter("SD")));
        // The busy arrow: an open ring with an arrow head.
        save("zkgui_busy_arrow", plain(48, 48, [&](QPainter &p) {
            const QColor ink = night ? pal.ink : QColor(0xf0, 0xf4, 0xff);
            p.setPen(QPen(ink, 6, Qt::SolidLine, Qt::FlatCap));
            p.drawArc(QRectF(8, 8, 32, 32), 90 * 16, 270 * 16);
            QPolygonF head;
            head << QPointF(24, 0) << QPointF(36, 8) << QPointF(24, 16);
            p.setPen(Qt::NoPen);
            p.setBrush(ink);
            p.drawPolygon(head);
        }));
        // Fade borders of scrolling lists: window colour fading to transparent.
        const QColor window = night ? QColor(0x18, 0x08, 0x08) : QColor(0xf4, 0xf6, 0xf9);
        auto fade = [&](bool top) {
            return plain(800, 20, [&](QPainter &p) {
                QLinearGradient g(0, top ? 0 : 20, 0, top ? 20 : 0);
                QColor clear = window;
                clear.setAlpha(0);
                g.setColorAt(0, window);
                g.setColorAt(1, clear);
                p.fillRect(QRect(0, 0, 800, 20), g);
            });
        };
        save("zkgui_fade_border_top_20", fade(true));
        save("zkgui_fade_border_bottom_20", fade(false));
        // ---- Keys of the on-screen keyboard and the numeric keypad ----
        // Key backgrounds by key width ("zkgui_key<width>"), 58 px high, in the button states.
        for (const int width : {58, 87, 117, 147, 294}) {
            const QString name = QStringLiteral("zkgui_key") + QString::number(width);
            auto keyFace = [&](int state) {
                return plain(width, 58, [&](QPainter &p) {
                    const bool checked = state == 2 || state == 3;
                    QColor face = (state == 1 || state == 3) ? pal.faceDown : pal.face;
                    if (state == 4)
                        face.setAlpha(90);
                    p.setPen(QPen(checked ? pal.accent : pal.ink.darker(110), checked ? 3 : 1));
                    p.setBrush(face);
                    p.drawRoundedRect(QRectF(1.5, 1.5, width - 3, 55), 6, 6);
                });
            };
            save(name, keyFace(0));
            for (int s = 0; s < 5; ++s)
                save(name + states[s], keyFace(s));
        }
        // ---- end of the keys ----
        // Window layer: help window, menus, messages and configuration windows.
        save("zel_state_icon_40_help", badge(40, pal.info, letter("?")));
        // End of the window layer block.
        // ---- Application: device screen, device list and details (zel_, i_device_, i_service_) ----
        {
            // Buttons of the device screen and the details page, in every button state.
            auto stateButtons = [&](const QString &name, int size, const Glyph &glyph) {
                save(name, button(size, pal, glyph, 0));
                for (int s = 0; s < 5; ++s)
                    save(name + states[s], button(size, pal, glyph, s));
            };
            const QList<QPair<QString, Glyph>> appButtons = {
                {"zel_button_home", letter("H")},
                {"zel_button_list_view", bars(3)},
                {"zel_button_setting", letter("S")},
                {"zel_setting_ext_syslog", letter("LOG")},
                {"zel_button_arrow_left", arrow(2)},
                {"zel_button_arrow_right", arrow(3)},
                {"zel_button_web", letter("WWW")},
            };
            for (const auto &b : appButtons) {
                stateButtons(b.first, 48, b.second);
                stateButtons(b.first + "_40", 40, b.second);
            }
            // The buttons of the details page's bar are 120 x 86 (the service
            // images below); Management stands among them at the same size.
            // "_over" is the flash drawn over a bar button while it calls for
            // attention (new software available): a bright ring, no face.
            auto wideButton = [&](const Glyph &glyph, int state, bool active) {
                QImage img(120, 86, QImage::Format_ARGB32_Premultiplied);
                img.fill(Qt::transparent);
                QPainter p(&img);
                p.drawImage(28, 4, button(64, pal, glyph, state));
                if (active) {
                    p.setRenderHint(QPainter::Antialiasing);
                    p.setPen(Qt::NoPen);
                    p.setBrush(pal.ok);
                    p.drawEllipse(QRectF(84, 6, 14, 14));
                }
                return img;
            };
            auto wideFlash = [&](int state) {
                return plain(120, 86, [&](QPainter &p) {
                    QColor ring = night ? QColor(0xff, 0x90, 0x40) : QColor(0xff, 0xb0, 0x00);
                    if (state == 4)
                        ring.setAlpha(90);
                    p.setPen(QPen(ring, 6));
                    QColor glow = ring;
                    glow.setAlpha(state == 4 ? 30 : 90);
                    p.setBrush(glow);
                    p.drawEllipse(QRectF(27, 3, 66, 66));
                });
            };
            auto wideButtons = [&](const QString &name, const Glyph &glyph, bool active) {
                save(name, wideButton(glyph, 0, active));
                for (int s = 0; s < 5; ++s) {
                    save(name + states[s], wideButton(glyph, s, active));
                    save(name + "_over" + states[s], wideFlash(s));
                }
            };
            wideButtons("zel_button_management", letter("M"), false);
            stateButtons("zel_button_management_40", 40, letter("M"));
            stateButtons("i_service_test_40", 40, letter("T"));
            // Service images by size: marks (21), list state (30), menu entries (40),
            // details state (50) and bar buttons (120 x 86), plain and "_active".
            const QList<QPair<QString, Glyph>> services = {
                {"i_service_sw_update", arrow(1)}, {"i_service_live_log", bars(3)},
                {"i_service_reboot", letter("R")}, {"i_service_diag_rep", letter("D")},
                {"i_service_mibfile", letter("MIB")},
            };
            for (const auto &svc : services) {
                for (const bool active : {false, true}) {
                    const QString suffix = active ? QStringLiteral("_active") : QString();
                    const QColor colour = active ? pal.ok : pal.accent;
                    save(svc.first + "_21" + suffix, badge(21, colour, svc.second));
                    save(svc.first + "_30" + suffix, badge(30, colour, svc.second));
                    save(svc.first + "_50" + suffix, badge(50, colour, svc.second));
                    stateButtons(svc.first + "_40" + suffix, 40, svc.second);
                    wideButtons(svc.first + "_button_120x86" + suffix, svc.second, active);
                }
            }
            // Device states: small over the list rows, large on the details page.
            const QList<std::tuple<QString, QColor, QString>> deviceStates = {
                {"ok", pal.ok, "\u2713"}, {"warning", pal.warn, "!"}, {"sys_degrad", pal.warn, "~"},
                {"sys_error", pal.fail, "!"}, {"error", pal.fail, "\u00d7"},
            };
            // Event severities: alone in a pop-up (50) and as the mark over a service image (35).
            const QList<std::tuple<QString, QColor, QString>> severities = {
                {"info", pal.info, "i"}, {"warning", pal.warn, "!"}, {"error", pal.fail, "!"},
            };
            for (const auto &sv : severities) {
                save("i_ev_severity_" + std::get<0>(sv) + "_50", badge(50, std::get<1>(sv), letter(std::get<2>(sv))));
                save("i_ev_severity_" + std::get<0>(sv) + "_35", badge(35, std::get<1>(sv), letter(std::get<2>(sv))));
            }
            for (const auto &st : deviceStates) {
                save("zel_state_icon_small_" + std::get<0>(st), badge(30, std::get<1>(st), letter(std::get<2>(st))));
                save("zel_state_icon_large_" + std::get<0>(st), badge(60, std::get<1>(st), letter(std::get<2>(st))));
            }
            // Device images of the model list: list button and details picture.
            auto devicePicture = [&](int w, int h, const QString &model, int state) {
                return plain(w, h, [&](QPainter &p) {
                    const QRectF body(w * 0.1, h * 0.2, w * 0.8, h * 0.6);
                    QColor face = (state == 1 || state == 3) ? pal.faceDown : pal.face;
                    if (state == 4)
                        face.setAlpha(90);
                    p.setPen(QPen(pal.ink, 2));
                    p.setBrush(face);
                    p.drawRoundedRect(body, 8, 8);
                    p.setBrush(pal.accent);
                    p.drawEllipse(QRectF(body.right() - h * 0.18, body.top() + h * 0.08, h * 0.1, h * 0.1));
                    QFont f(QStringLiteral("DejaVu Sans"));
                    f.setBold(true);
                    f.setPixelSize(int(h * 0.16));
                    p.setFont(f);
                    p.setPen(pal.ink);
                    p.drawText(body, Qt::AlignCenter, model);
                });
            };
            for (const QString model : {"4320", "4330", "4350", "4411", "x_unknown"}) {
                const QString label = model == "x_unknown" ? QStringLiteral("?") : model;
                const QString name = "i_device_" + model;
                save(name + "_320x180", devicePicture(320, 180, label, 0));
                save(name + "_100x80", devicePicture(100, 80, label, 0));
                save(name + "_button_100x100", devicePicture(100, 100, label, 0));
                for (int s = 0; s < 5; ++s)
                    save(name + "_button_100x100" + states[s], devicePicture(100, 100, label, s));
            }
            // The maker's logo in its sizes and the application's window icon.
            auto logo = [&](int w, int h) {
                return plain(w, h, [&](QPainter &p) {
                    QFont f(QStringLiteral("DejaVu Sans"));
                    f.setBold(true);
                    f.setPixelSize(int(h * 0.55));
                    p.setFont(f);
                    p.setPen(pal.accent);
                    p.drawText(QRectF(0, 0, w, h), Qt::AlignCenter, QStringLiteral("V&V"));
                });
            };
            save("zel_logo", logo(120, 40));
            save("zel_logo_60x20", logo(60, 20));
            save("zel_remote_management_128", badge(128, pal.accent, letter("ZEL")));
        }
        // ---- end of the application block ----
        // ---- Application: reports, link test and power supply windows ----
        save("zel_settings_power_branch", button(48, pal, letter("P"), 0));
        for (int s = 0; s < 5; ++s)
            save(QString("zel_settings_power_branch") + states[s], button(48, pal, letter("P"), s));
        save("i_service_test_30", badge(30, pal.ok, letter("T")));
        // ---- end of the reports, link test and power supply block ----
        // Shown in place of a missing image.
        save("zkgui_no_image", plain(32, 32, [&](QPainter &p) {
            p.setPen(QPen(pal.fail, 2, Qt::DashLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(QRectF(2, 2, 28, 28));
            cross()(p, QRectF(2, 2, 28, 28), pal.fail);
        }));
    }
    QTextStream(stdout) << "mkimages: wrote " << written << " images\n";
    return 0;
}
