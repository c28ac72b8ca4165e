#pragma once

// Settings files as plain text, for checking what lands on disk without going
// through QSettings.

#include <QFile>
#include <QMap>
#include <QString>
#include <QtTest>

using Ini = QMap<QString, QMap<QString, QString>>; // section -> key -> value

// Sections, keys and values, with the quotes around a value removed.
inline Ini parseIni(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    Ini ini;
    QString section;
    const QStringList lines = QString::fromUtf8(file.readAll()).split('\n');
    for (const QString &raw : lines) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(';'))
            continue;
        if (line.startsWith('[') && line.endsWith(']')) {
            section = line.mid(1, line.size() - 2);
            ini[section];
            continue;
        }
        const int eq = line.indexOf('=');
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
            value = value.mid(1, value.size() - 2);
        ini[section][line.left(eq).trimmed()] = value;
    }
    return ini;
}

inline void writeText(const QString &path, const QByteArray &text)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
}
