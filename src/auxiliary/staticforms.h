#pragma once

#include <QWidget>

// Windows the program creates at start and keeps hidden; they have no behaviour.
class TStaticForm : public QWidget
{
    Q_OBJECT
public:
    TStaticForm(const QString &objectName, const QString &title, QWidget *parent);
};

#define QTM_STATIC_FORM(Name)                                                                      \
    class Name : public TStaticForm                                                                \
    {                                                                                              \
        Q_OBJECT                                                                                   \
    public:                                                                                        \
        explicit Name(QWidget *parent = nullptr);                                                  \
    };

QTM_STATIC_FORM(TForm2)
QTM_STATIC_FORM(TForm3)
QTM_STATIC_FORM(TForm5)
QTM_STATIC_FORM(TForm9)
QTM_STATIC_FORM(TForm10)
QTM_STATIC_FORM(TForm11)
QTM_STATIC_FORM(TForm12)
QTM_STATIC_FORM(TForm13)
QTM_STATIC_FORM(TForm14)
QTM_STATIC_FORM(TForm18)

#undef QTM_STATIC_FORM
