#include "settings/userSettingsStore.h"

#include <atomic>

#include "board/board.h"

#include <QDebug>
#include <QDir>
#include <QFileDevice>
#include <QRegularExpression>

#include <unistd.h>

namespace {
QString s_file;
std::function<void()> s_changeHook;
bool s_damaged = false;
std::atomic<quint64> s_generation{0};

// The store file for the organisation and application, in the folder set for them.
QString storeFile()
{
    if (s_file.isEmpty()) {
        s_file = QSettings(QSettings::NativeFormat, QSettings::UserScope,
                           QLatin1String(UserSettingsStore::kOrganisation),
                           QLatin1String(UserSettingsStore::kApplication))
                     .fileName();
    }
    return s_file;
}

// What the store holds: "initFile" and integer settings under "userSettings/".
bool isKnown(const QString& key, const QString& value)
{
    static const QRegularExpression known(QStringLiteral("^userSettings/[A-Za-z0-9_]{1,40}$"));
    static const QRegularExpression integer(QStringLiteral("^[-+]?[0-9]{1,10}$"));
    return (key == QLatin1String("initFile") || known.match(key).hasMatch()) &&
           integer.match(value).hasMatch();
}

QString unquoted(const QString& value)
{
    if (value.size() < 2 || !value.startsWith(QLatin1Char('"')) ||
        !value.endsWith(QLatin1Char('"')))
        return value;
    QString plain;
    for (int i = 1; i < value.size() - 1; ++i) {
        if (value.at(i) == QLatin1Char('\\') && i + 1 < value.size() - 1)
            ++i;
        plain.append(value.at(i));
    }
    return plain;
}

QString quoted(const QString& value)
{
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_.+-]*$"));
    if (plain.match(value).hasMatch())
        return value;
    QString text = value;
    text.replace(QLatin1Char('\\'), QLatin1String("\\\\"))
        .replace(QLatin1Char('"'), QLatin1String("\\\""));
    return QLatin1Char('"') + text + QLatin1Char('"');
}

// The ini text as the settings library writes it ("[General]" for top-level keys, one
// section per group), read only up to a store's size: the library itself would read any
// file whole on every change of it.
bool readStore(QIODevice& device, QSettings::SettingsMap& map)
{
    const qint64 size = device.size();
    const bool damaged = size > UserSettingsStore::kMaxStoreBytes;
    QByteArray text = device.read(UserSettingsStore::kMaxStoreBytes);
    if (damaged) {
        // The line cut off at the limit may have lost digits.
        text.truncate(text.lastIndexOf('\n') + 1);
        s_damaged = true;
        qDebug().noquote() << "Settings store" << UserSettingsStore::FileName() << "is" << size
                           << "bytes, far larger than any real one: taken as damaged and "
                              "rewritten from its known values";
    }
    QString section;
    for (const QByteArray& raw : text.split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')) ||
            line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            section = line.mid(1, line.size() - 2).trimmed();
            if (section == QLatin1String("General"))
                section.clear();
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals <= 0)
            continue;
        QString key = line.left(equals).trimmed();
        key.replace(QLatin1Char('\\'), QLatin1Char('/'));
        if (!section.isEmpty())
            key = section + QLatin1Char('/') + key;
        const QString value = unquoted(line.mid(equals + 1).trimmed());
        if (!damaged || isKnown(key, value))
            map.insert(key, value);
    }
    return true;
}

// Writes the whole store and makes sure it reached storage: the library's own commit takes
// a write that failed for want of space for success and leaves an empty store.
bool writeStore(QIODevice& device, const QSettings::SettingsMap& map)
{
    QMap<QString, QByteArray> sections;
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        const QString& key = it.key();
        if (key.isEmpty() || key.contains(QLatin1Char('=')) || key.contains(QLatin1Char('\n')))
            continue;
        const int slash = key.indexOf(QLatin1Char('/'));
        const QString section = slash < 0 ? QString() : key.left(slash);
        QString name = slash < 0 ? key : key.mid(slash + 1);
        name.replace(QLatin1Char('/'), QLatin1Char('\\'));
        sections[section] +=
            (name + QLatin1Char('=') + quoted(it.value().toString())).toUtf8() + '\n';
    }
    QByteArray text;
    for (auto it = sections.cbegin(); it != sections.cend(); ++it) {
        if (!text.isEmpty())
            text += '\n';
        text += '[' + (it.key().isEmpty() ? QByteArray("General") : it.key().toUtf8()) + "]\n";
        text += it.value();
    }
    auto* file = qobject_cast<QFileDevice*>(&device);
    return device.write(text) == text.size() &&
           (!file || (file->flush() && ::fsync(file->handle()) == 0));
}

QSettings::Format storeFormat()
{
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("conf"), readStore, writeStore);
    return format;
}
} // namespace

void UserSettingsStore::Configure()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, Board::Get().SettingsRoot());
    // Named without opening it: a handle for the organisation would read the file.
    s_file = QDir::cleanPath(Board::Get().SettingsRoot() + QLatin1Char('/') +
                             QLatin1String(kOrganisation) + QLatin1Char('/') +
                             QLatin1String(kApplication) + QStringLiteral(".conf"));
    NoteValuesChanged();
}

QString UserSettingsStore::FileName()
{
    return storeFile();
}

void UserSettingsStore::SetChangeHook(std::function<void()> hook)
{
    s_changeHook = std::move(hook);
}

quint64 UserSettingsStore::Generation()
{
    return s_generation.load();
}

void UserSettingsStore::NoteValuesChanged()
{
    ++s_generation;
}

void UserSettingsStore::NoteChange()
{
    NoteValuesChanged();
    if (s_changeHook)
        s_changeHook();
}

bool UserSettingsStore::TakeDamaged()
{
    const bool damaged = s_damaged;
    s_damaged = false;
    return damaged;
}

// Opened by its file name, the store is this one file: a handle for the organisation and
// application would also check the system-wide and organisation-wide files on every
// opening, and every setting read opens a handle.
UserSettingsStore::UserSettingsStore() : QSettings(storeFile(), storeFormat()) {}
