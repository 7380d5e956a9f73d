#pragma once

class QCoreApplication;

// Qt's own Russian texts for the standard dialogs and buttons; true when found.
// The translator is owned by app.
bool LoadQtTranslation(QCoreApplication *app);
