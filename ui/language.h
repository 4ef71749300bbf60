#pragma once

class QCoreApplication;

// Installs into `app` the program's translation and Qt's own for the user's
// language, the first of the system's UI languages that is English or has one.
// English, the sources' language, needs neither.
void InstallTranslations(QCoreApplication& app);
