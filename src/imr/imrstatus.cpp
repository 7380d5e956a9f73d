#include "imr/imrstatus.h"

#include <QStringList>

namespace
{

const QString kUnknown = QStringLiteral("???");

QString FromTable(const QStringList &table, int code)
{
    return code >= 0 && code < table.size() ? table.at(code) : kUnknown;
}

} // namespace

QString ImrStateText(int state)
{
    static const QStringList table = {
        QStringLiteral("0"),
        QStringLiteral("состояние \"ВХОД В ИМИТАЦИЮ: ОЖИДАНИЕ СПАДА TEXT'a\""),
        QStringLiteral("состояние \"ИМИТАЦИЯ ЗАПУЩЕНА\""),
        QStringLiteral("состояние \"ВЫХОД ИЗ ИМИТАЦИИ: ОЖИДАНИЕ СПАДА TEXT'a\""),
        QStringLiteral("состояние \"ПОДСЧЁТ ЧИСЛА АВТОЦИРКУЛЯЦИЙ\""),
        QStringLiteral("состояние \"НАСТРОЙКА DA2\""),
        QStringLiteral("состояние \"НАСТРОЙКА DA1\""),
        QStringLiteral("состояние \"ПОВЕРКА ЛИНИИ ЗАДЕРЖКИ\""),
        QStringLiteral("состояние \"НЕПРЕРЫВНАЯ ПОВЕРКА ЧИСЛА ЗАДЕРЖАННЫХ ИМПУЛЬСОВ\""),
    };
    return FromTable(table, state);
}

QString ImrErrorText(int error)
{
    static const QStringList table = {
        QStringLiteral("Ok"),
        QStringLiteral("не дождались спада TEXT в течение uc_TEXT_TimeOut (ошибка режима имитации)"),
        QStringLiteral("не дождались EOC в течение EOC_TIMEOUT_MKS (ошибка режима калибровки)"),
    };
    return FromTable(table, error);
}

QString ImrLastCmdText(int lastCmd)
{
    // Every command text ends with the module's own closing quote.
    static const QStringList commands = {
        QString(),
        QStringLiteral("КОМАНДА \"НАЧАТЬ ИМИТАЦИЮ\" ВЫПОЛНЯЕТСЯ\""),
        QStringLiteral("КОМАНДА \"НАЧАТЬ ИМИТАЦИЮ\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral("КОМАНДА \"НАЧАТЬ ИМИТАЦИЮ\" ВЫПОЛНЕНА С ОШИБКОЙ\""),
        QStringLiteral("КОМАНДА \"ЗАКОНЧИТЬ ИМИТАЦИЮ\" ВЫПОЛНЯЕТСЯ\""),
        QStringLiteral("КОМАНДА \"ЗАКОНЧИТЬ ИМИТАЦИЮ\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral("КОМАНДА \"ЗАКОНЧИТЬ ИМИТАЦИЮ\" ВЫПОЛНЕНА С ОШИБКОЙ\""),
        QStringLiteral("КОМАНДА \"ПРОВЕСТИ КАЛИБРОВКУ\" ВЫПОЛНЯЕТСЯ\""),
        QStringLiteral("КОМАНДА \"ПРОВЕСТИ КАЛИБРОВКУ\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral("КОМАНДА \"ПРОВЕСТИ КАЛИБРОВКУ\" ВЫПОЛНЕНА С ОШИБКОЙ\""),
        QStringLiteral("КОМАНДА \"ПОДСЧИТАТЬ ЧИСЛО АВТОЦИРКУЛЯЦИЙ\" ВЫПОЛНЯЕТСЯ\""),
        QStringLiteral("КОМАНДА \"ПОДСЧИТАТЬ ЧИСЛО АВТОЦИРКУЛЯЦИЙ\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral("КОМАНДА \"ПОДСЧИТАТЬ ЧИСЛО АВТОЦИРКУЛЯЦИЙ\" ВЫПОЛНЕНА С ОШИБКОЙ\""),
        QStringLiteral("КОМАНДА \"НАЧАТЬ НАСТРОЙКУ DA2 ВРЕМЯ t0\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral("КОМАНДА \"НАЧАТЬ НАСТРОЙКУ DA2 ВРЕМЯ t1\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral("КОМАНДА \"НАЧАТЬ НАСТРОЙКУ DA2 С ПЕРЕКЛЮЧЕНИЕМ t0 И t1\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral("КОМАНДА \"НАЧАТЬ НАСТРОЙКУ DA1\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral("КОМАНДА \"НАЧАТЬ НАСТРОЙКУ DA1\" ВЫПОЛНЕНА С ОШИБКОЙ\""),
        QStringLiteral("КОМАНДА \"ПРЕКРАТИТЬ НАСТРОЙКУ\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral("КОМАНДА \"ПРОИЗВЕСТИ ПОВЕРКУ ЧИСЛА ЗАДЕРЖАННЫХ ИМПУЛЬСОВ\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral("КОМАНДА \"ПРОИЗВЕСТИ ПОВЕРКУ ЧИСЛА ЗАДЕРЖАННЫХ ИМПУЛЬСОВ\" ВЫПОЛНЕНА С ОШИБКОЙ\""),
        QStringLiteral(
            "КОМАНДА \"НАЧАТЬ НЕПРЕРЫВНУЮ ПОВЕРКУ ЧИСЛА ЗАДЕРЖАННЫХ ИМПУЛЬСОВ\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral(
            "КОМАНДА \"ПРЕКРАТИТЬ НЕПРЕРЫВНУЮ ПОВЕРКУ ЧИСЛА ЗАДЕРЖАННЫХ ИМПУЛЬСОВ\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral("КОМАНДА \"НАЧАТЬ ПОВЕРКУ ЛИНИИ ЗАДЕРЖКИ ПРИ CMODE 0\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral("КОМАНДА \"НАЧАТЬ ПОВЕРКУ ЛИНИИ ЗАДЕРЖКИ ПРИ CMODE 1\" ВЫПОЛНЕНА УСПЕШНО\""),
        QStringLiteral("КОМАНДА \"ПРЕКРАТИТЬ ПОВЕРКУ ЛИНИИ ЗАДЕРЖКИ\" ВЫПОЛНЕНА УСПЕШНО\""),
    };
    if (lastCmd == 0)
        return QStringLiteral("команды не было");
    return FromTable(commands, lastCmd);
}

QString ImrStatusText(int state, int error, int lastCmd)
{
    return ImrStateText(state) + QLatin1Char('\r') + ImrErrorText(error) + QLatin1Char('\r') +
           ImrLastCmdText(lastCmd);
}
