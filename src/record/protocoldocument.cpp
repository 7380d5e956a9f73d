#include "record/protocoldocument.h"

#include "link/conventions.h"

#include <QFile>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextDocument>

#include <xlsxwriter.h>

#include <cmath>

namespace ProtocolDocument
{

using namespace Verification;

namespace
{
QString Num(double v, int decimals = 4)
{
    return std::isfinite(v) ? FormatDecimals(v, decimals) : QStringLiteral("—");
}
QString Esc(const QString &s)
{
    return s.toHtmlEscaped();
}
QString Row(const QStringList &cells)
{
    QString row = QStringLiteral("<tr>");
    for (const QString &c : cells)
        row += QStringLiteral("<td>%1</td>").arg(c);
    return row + QStringLiteral("</tr>");
}
// What the protocol says of the run before its checks.
QList<QPair<QString, QString>> Info(const Record &record)
{
    const Settings &s = record.settings;
    return {
        {QStringLiteral("Заводской номер"), s.serial},
        {QStringLiteral("Вид проверки"), KindName(s.kind)},
        {QStringLiteral("Тип протокола"), TypeName(s.type)},
        {QStringLiteral("Поверитель"), s.verifier},
        {QStringLiteral("Дата и время"), record.started.toString(QStringLiteral("dd.MM.yyyy HH:mm"))},
        {QStringLiteral("Модули стенда"), record.modules.join(QStringLiteral("; "))},
        {QStringLiteral("Шаг задержки, нс"), Num(record.delayStep, 3)},
        {QStringLiteral("Тип прибора"), record.model},
        {QStringLiteral("Прибор"), record.flowmeter},
    };
}

QString CheckTitle(const Check &c)
{
    QString title = QuantityName(c.quantity) + QStringLiteral(", ") + QuantityUnit(c.quantity);
    if (c.quantity == Quantity::Flow || c.quantity == Quantity::Current)
        title += QStringLiteral("<br/>точка %1 м3/ч").arg(Num(c.point, 3));
    return title;
}
QString Readings(const Check &c)
{
    QStringList out;
    for (const Reading &r : c.readings)
        out << Num(r.measured);
    return out.join(QStringLiteral("; "));
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
        QStringLiteral("<html><body style=\"font-family: 'DejaVu Sans', sans-serif; font-size: 9pt\">"
                       "<h2 align=\"center\">ПРОТОКОЛ ПОВЕРКИ</h2>"
                       "<p align=\"center\">ультразвукового расходомера на стенде ЦТМ-01</p>"
                       "<table border=\"0\" cellspacing=\"0\" cellpadding=\"2\">");
    for (const auto &[key, value] : Info(record))
        html += Row({QStringLiteral("<b>%1:</b>").arg(Esc(key)), Esc(value)});
    html += QStringLiteral("</table><br/>"
                           "<table border=\"1\" cellspacing=\"0\" cellpadding=\"3\" width=\"100%\">");
    html +=
        QStringLiteral("<tr><th width=\"24%\">Проверка</th><th>Эталон</th><th width=\"22%\">Показания</th>"
                       "<th>Среднее</th><th>Наибольшая погрешность, %</th><th>Предел, %</th>"
                       "<th>Результат</th></tr>");
    for (const Check &c : record.checks)
        html +=
            Row({CheckTitle(c), Num(c.MeanReference()), Readings(c), Num(c.MeanMeasured()), Num(c.MaxError()),
                 Num(c.limit, 3), c.Passed() ? QStringLiteral("годен") : QStringLiteral("не годен")});
    html += QStringLiteral("</table><br/><p><b>Заключение: прибор %1</b></p>"
                           "<br/><p>Поверитель ____________________ %2</p></body></html>")
                .arg(record.Verdict(), Esc(s.verifier));
    doc.setHtml(html);
}

QString WritePdf(const QString &path, const Record &record)
{
    QPdfWriter writer(path);
    writer.setPageSize(QPageSize(QPageSize::A4));
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    writer.setResolution(300);
    writer.setTitle(QStringLiteral("Протокол поверки %1").arg(record.settings.serial));
    writer.setCreator(QStringLiteral("Монитор ЦТМ-01"));
    QTextDocument doc;
    Fill(doc, record);
    doc.print(&writer);
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
    const auto text = [sheet](int row, int col, const QString &s, lxw_format *f = nullptr) {
        worksheet_write_string(sheet, lxw_row_t(row), lxw_col_t(col), s.toUtf8().constData(), f);
    };
    const auto number = [sheet](int row, int col, double v) {
        if (std::isfinite(v))
            worksheet_write_number(sheet, lxw_row_t(row), lxw_col_t(col), v, nullptr);
    };
    int row = 0;
    QList<QPair<QString, QString>> info = Info(record);
    info << qMakePair(QStringLiteral("Заключение"), record.Verdict());
    for (const auto &[key, value] : info) {
        text(row, 0, key, bold);
        text(row++, 1, value);
    }
    ++row;
    const QStringList header = {QStringLiteral("Проверка"),  QStringLiteral("Точка, м3/ч"),
                                QStringLiteral("№"),         QStringLiteral("Эталон"),
                                QStringLiteral("Измерено"),  QStringLiteral("Погрешность, %"),
                                QStringLiteral("Предел, %"), QStringLiteral("Единица")};
    for (int c = 0; c < header.size(); ++c)
        text(row, c, header[c], bold);
    ++row;
    for (const Check &check : record.checks) {
        for (int i = 0; i < check.readings.size(); ++i, ++row) {
            const Reading &r = check.readings[i];
            text(row, 0, QuantityName(check.quantity));
            number(row, 1, check.point);
            number(row, 2, i + 1);
            number(row, 3, r.reference);
            number(row, 4, r.measured);
            number(row, 5, r.error);
            number(row, 6, check.limit);
            text(row, 7, QuantityUnit(check.quantity));
        }
    }
    worksheet_set_column(sheet, 0, 0, 22, nullptr);
    worksheet_set_column(sheet, 1, 7, 14, nullptr);
    const lxw_error err = workbook_close(book);
    if (err != LXW_NO_ERROR)
        return QStringLiteral("Не удалось записать файл \"%1\": %2")
            .arg(path, QString::fromUtf8(lxw_strerror(err)));
    return QString();
}

} // namespace ProtocolDocument
