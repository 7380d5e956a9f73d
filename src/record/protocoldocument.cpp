#include "record/protocoldocument.h"

#include "link/conventions.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QHash>
#include <QLocale>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextDocument>

#include <xlsxwriter.h>

#include <cmath>
#include <limits>

namespace ProtocolDocument
{

using namespace Verification;

namespace
{
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// A value with exactly the decimals its quantity needs, so the columns line up.
QString Fixed(double v, int decimals)
{
    return std::isfinite(v) ? QLocale().toString(v, 'f', decimals) : QStringLiteral("—");
}
QString Esc(const QString &s)
{
    return s.toHtmlEscaped();
}
QString OrDash(const QString &s)
{
    return s.trimmed().isEmpty() ? QStringLiteral("—") : s.trimmed();
}
QString Fit(bool ok)
{
    return ok ? QStringLiteral("соответствует") : QStringLiteral("не соответствует");
}

// One line of what the protocol says before its table; a number also goes to the
// spreadsheet as a number with its format.
struct Field {
    QString key;
    QString text;
    double number = kNaN;
    const char *format = nullptr;
};
Field Numeric(const QString &key, double v, int decimals, const char *format)
{
    return {key, Fixed(v, decimals), v, format};
}

QList<Field> Info(const Record &record)
{
    const Settings &s = record.settings;
    const Lab &lab = s.lab;
    const Conditions &c = s.conditions;
    const QString stamp = QStringLiteral("dd.MM.yyyy HH:mm");
    QString standards = QStringLiteral("стенд ЦТМ-01 зав. № %1").arg(OrDash(lab.benchSerial));
    if (!record.modules.isEmpty())
        standards += QStringLiteral(" (модули: %1)").arg(record.modules.join(QStringLiteral("; ")));
    standards +=
        QStringLiteral(", свидетельство о поверке № %1, действительно до %2")
            .arg(OrDash(lab.benchCertificate),
                 lab.benchValidUntil.isValid() ? lab.benchValidUntil.toString(QStringLiteral("dd.MM.yyyy"))
                                               : QStringLiteral("—"));
    QList<Field> out = {
        {QStringLiteral("Номер протокола"),
         record.number > 0 ? QString::number(record.number) : QStringLiteral("—"),
         record.number > 0 ? double(record.number) : kNaN, "0"},
        {QStringLiteral("Организация"), OrDash(lab.organisation)},
        {QStringLiteral("Прибор"), record.Instrument()},
        {QStringLiteral("Тип прибора"), OrDash(record.model)},
        {QStringLiteral("Заводской номер"), OrDash(s.serial)},
        {QStringLiteral("Рег. № в Госреестре СИ"), OrDash(s.registerNumber)},
        {QStringLiteral("Владелец"), OrDash(s.owner)},
        {QStringLiteral("Вид проверки"), KindName(s.kind)},
        {QStringLiteral("Тип протокола"), TypeName(s.type)},
        {QStringLiteral("Методика поверки"), OrDash(lab.method)},
        {QStringLiteral("Эталоны"), standards},
        Numeric(QStringLiteral("Шаг задержки, нс"), record.delayStep, 3, "0.000"),
        Numeric(QStringLiteral("Температура окружающего воздуха, °C"), c.temperatureC, 1, "0.0"),
        Numeric(QStringLiteral("Относительная влажность, %"), c.humidityPercent, 1, "0.0"),
        Numeric(QStringLiteral("Атмосферное давление, кПа"), c.pressureKPa, 1, "0.0"),
        Numeric(QStringLiteral("Напряжение питания, В"), c.voltageV, 1, "0.0"),
        {QStringLiteral("Начало поверки"), record.started.toString(stamp)},
        {QStringLiteral("Окончание поверки"), record.finished.toString(stamp)},
        {QStringLiteral("Программное обеспечение"), OrDash(record.software)},
        {QStringLiteral("Внешний осмотр"), Fit(s.visualOk)},
        {QStringLiteral("Опробование"), Fit(s.trialOk)},
        Numeric(QStringLiteral("Вес импульса, м3"), s.pulseWeight, 7, "0.0000000"),
        {QStringLiteral("Погрешность расхода, объема, импульсного выхода"),
         QStringLiteral("относительная: δ = (Xп - Xэ) / Xэ · 100 %, Xп - по прибору (импульсный выход: "
                        "число импульсов · вес импульса), Xэ - эталонное значение стенда")},
        {QStringLiteral("Погрешность токового выхода"), CurrentErrorRule(s.qMax)},
        {QStringLiteral("Округление"), RoundingRule()},
    };
    if (!record.completed)
        out << Field{QStringLiteral("Поверка прервана"), OrDash(record.failure)};
    return out;
}

QString Cell(const QString &text, const QString &attributes = QString())
{
    return QStringLiteral("<td%1>%2</td>")
        .arg(attributes.isEmpty() ? QString() : QLatin1Char(' ') + attributes, text);
}

// Fixed widths, percent of the A4 text width: no heading word and no number has to break.
struct Column {
    const char *heading;
    int width;
};
const Column kColumns[] = {{"Проверка", 18},       {"Точка,<br/>м3/ч", 9}, {"№", 5},
                           {"Эталон", 13},         {"Прибор", 13},         {"Погрешность,<br/>%", 15},
                           {"Предел,<br/>±%", 11}, {"Результат", 16}};

QString ResultsTable(const Record &record)
{
    QString html = QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">"
                                  "<thead><tr>");
    for (const Column &c : kColumns)
        html += QStringLiteral("<th width=\"%1%\">%2</th>").arg(c.width).arg(QString::fromUtf8(c.heading));
    html += QStringLiteral("</tr></thead>");
    const QString right = QStringLiteral("align=\"right\"");
    for (const Check &c : record.checks) {
        const int d = QuantityDecimals(c.quantity);
        const int rows = qMax<int>(1, int(c.readings.size()));
        const QString span = QStringLiteral("rowspan=\"%1\"").arg(rows);
        for (int i = 0; i < rows; ++i) {
            const Reading r = c.readings.value(i, Reading{kNaN, kNaN, kNaN});
            html += QStringLiteral("<tr>");
            if (i == 0)
                html += Cell(Esc(QuantityName(c.quantity) + QStringLiteral(", ") + QuantityUnit(c.quantity)),
                             span) +
                        Cell(Fixed(c.point, 3), span + QLatin1Char(' ') + right);
            html += Cell(c.readings.isEmpty() ? QStringLiteral("—") : QString::number(i + 1), right) +
                    Cell(Fixed(r.reference, d), right) + Cell(Fixed(r.measured, d), right) +
                    Cell(Fixed(RoundError(r.error), kErrorDecimals), right);
            if (i == 0)
                html += Cell(Fixed(c.limit, kErrorDecimals), span + QLatin1Char(' ') + right) +
                        Cell(c.ResultText(), span);
            html += QStringLiteral("</tr>");
        }
    }
    return html + QStringLiteral("</table>");
}
} // namespace

QString KindName(int kind)
{
    return kind == 1 ? QStringLiteral("Периодическая") : QStringLiteral("Первичная");
}

QString TypeName(int type)
{
    switch (type) {
    case PulseOnly:
        return QStringLiteral("С поверкой импульсного, но без поверки токового выхода");
    case FlowAndVolumeOnly:
        return QStringLiteral("Без поверки импульсного и токового выходов");
    default:
        return QStringLiteral("С поверкой импульсного и токового выходов");
    }
}

void Fill(QTextDocument &doc, const Record &record)
{
    const Settings &s = record.settings;
    QString html =
        QStringLiteral("<html><body style=\"font-family: 'DejaVu Sans', sans-serif; font-size: 8pt\">"
                       "<h2 align=\"center\">ПРОТОКОЛ ПОВЕРКИ № %1</h2>"
                       "<p align=\"center\">ультразвукового расходомера на стенде ЦТМ-01</p>"
                       "<table border=\"0\" cellspacing=\"0\" cellpadding=\"1\" width=\"100%\">")
            .arg(record.number > 0 ? QString::number(record.number) : QStringLiteral("—"));
    for (const Field &f : Info(record))
        html += QStringLiteral("<tr>") +
                Cell(QStringLiteral("<b>%1:</b>").arg(Esc(f.key)), QStringLiteral("width=\"34%\"")) +
                Cell(Esc(f.text)) + QStringLiteral("</tr>");
    html += QStringLiteral("</table><p><b>Результаты</b></p>") + ResultsTable(record);
    html += QStringLiteral("<p><b>Заключение: %1</b></p>"
                           "<br/><p>Поверитель ____________________ %2</p></body></html>")
                .arg(Esc(record.Conclusion()), Esc(s.verifier));
    doc.setHtml(html);
}

void Print(QPagedPaintDevice &device, const Record &record)
{
    QTextDocument doc;
    // Laid out on the device itself and on its whole printable width: left to itself
    // the document would add margins of its own and narrow the fixed columns.
    doc.documentLayout()->setPaintDevice(&device);
    const QPageLayout layout = device.pageLayout();
    doc.setPageSize(layout.paintRectPixels(device.logicalDpiX()).size());
    doc.setDocumentMargin(0);
    Fill(doc, record);
    doc.print(&device);
}

QString WritePdf(const QString &path, const Record &record)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(QStringLiteral("Протокол поверки %1").arg(record.settings.serial));
    writer.setCreator(QStringLiteral("Монитор ЦТМ-01"));
    Print(writer, record);
    QFile file(path);
    if (!file.exists() || file.size() == 0)
        return QStringLiteral("Не удалось записать файл \"%1\"").arg(path);
    return QString();
}

QString WriteXlsx(const QString &path, const Record &record)
{
    const QByteArray name = QFile::encodeName(path);
    lxw_workbook *book = workbook_new(name.constData());
    if (!book)
        return QStringLiteral("Не удалось создать файл \"%1\"").arg(path);
    lxw_worksheet *sheet = workbook_add_worksheet(book, "Показания");
    lxw_format *bold = workbook_add_format(book);
    format_set_bold(bold);
    QHash<QByteArray, lxw_format *> formats;
    const auto format = [book, &formats](const char *pattern) {
        lxw_format *&f = formats[QByteArray(pattern)];
        if (!f) {
            f = workbook_add_format(book);
            format_set_num_format(f, pattern);
        }
        return f;
    };
    const auto text = [sheet](int row, int col, const QString &s, lxw_format *f = nullptr) {
        worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(col), s.toUtf8().constData(), f);
    };
    const auto number = [sheet](int row, int col, double v, lxw_format *f) {
        if (std::isfinite(v))
            worksheet_write_number(sheet, lxw_row_t(row), lxw_col_t(col), v, f);
    };
    const auto decimals = [&format](int d) {
        static const char *patterns[] = {"0", "0.0", "0.00", "0.000", "0.0000"};
        return format(patterns[qBound(0, d, 4)]);
    };
    int row = 0;
    QList<Field> info = Info(record);
    info << Field{QStringLiteral("Заключение"), record.Conclusion()};
    for (const Field &f : info) {
        text(row, 0, f.key, bold);
        if (std::isfinite(f.number))
            number(row++, 1, f.number, format(f.format));
        else
            text(row++, 1, f.text);
    }
    ++row;
    const QStringList header = {
        QStringLiteral("Проверка"),   QStringLiteral("Точка, м3/ч"), QStringLiteral("№"),
        QStringLiteral("Эталон"),     QStringLiteral("Прибор"),      QStringLiteral("Погрешность, %"),
        QStringLiteral("Предел, ±%"), QStringLiteral("Единица"),     QStringLiteral("Результат")};
    for (int c = 0; c < header.size(); ++c)
        text(row, c, header[c], bold);
    ++row;
    for (const Check &check : record.checks) {
        const int d = QuantityDecimals(check.quantity);
        for (int i = 0; i < check.readings.size(); ++i, ++row) {
            const Reading &r = check.readings[i];
            text(row, 0, QuantityName(check.quantity));
            number(row, 1, check.point, decimals(3));
            number(row, 2, i + 1, decimals(0));
            number(row, 3, r.reference, decimals(d));
            number(row, 4, r.measured, decimals(d));
            number(row, 5, RoundError(r.error), decimals(kErrorDecimals));
            number(row, 6, check.limit, decimals(kErrorDecimals));
            text(row, 7, QuantityUnit(check.quantity));
            text(row, 8, check.ResultText());
        }
    }
    worksheet_set_column(sheet, 0, 0, 34, nullptr);
    worksheet_set_column(sheet, 1, 8, 14, nullptr);
    const lxw_error err = workbook_close(book);
    if (err != LXW_NO_ERROR)
        return QStringLiteral("Не удалось записать файл \"%1\": %2")
            .arg(path, QString::fromUtf8(lxw_strerror(err)));
    return QString();
}

} // namespace ProtocolDocument
