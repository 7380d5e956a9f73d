#include "auxiliary/staticforms.h"

TStaticForm::TStaticForm(const QString &objectName, const QString &title, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(objectName);
    setWindowTitle(title);
}

#define QTM_STATIC_FORM_DEF(Name, Title)                                                           \
    Name::Name(QWidget *parent) : TStaticForm(QStringLiteral(#Name), QStringLiteral(Title), parent) {}

QTM_STATIC_FORM_DEF(TForm2, "Протокол")
QTM_STATIC_FORM_DEF(TForm3, "Автоматическая поверка")
QTM_STATIC_FORM_DEF(TForm5, "Калибровка")
QTM_STATIC_FORM_DEF(TForm9, "Имитатор")
QTM_STATIC_FORM_DEF(TForm10, "Набор объёма")
QTM_STATIC_FORM_DEF(TForm11, "Параметры имитационного участка")
QTM_STATIC_FORM_DEF(TForm12, "Поверка имитации расхода")
QTM_STATIC_FORM_DEF(TForm13, "Поверка имитации объёма")
QTM_STATIC_FORM_DEF(TForm14, "Настройка ИМР")
QTM_STATIC_FORM_DEF(TForm18, "Набор поверочных точек, м3/ч")
