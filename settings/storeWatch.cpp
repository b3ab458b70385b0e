#include "settings/storeWatch.h"

#include "settings/userSettingsStore.h"

#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QTimer>

StoreWatch::StoreWatch(UserSettingsStore& store, QObject* parent)
    : QObject(parent), m_store(store), m_changeTimer(new QTimer(this))
{
    m_changeTimer->setSingleShot(true);
    m_changeTimer->setInterval(0);
    connect(m_changeTimer, &QTimer::timeout, this, &StoreWatch::Changed);
    connect(&m_fileWatcher, &QFileSystemWatcher::fileChanged, this, &StoreWatch::onFileChanged);
    connect(&m_fileWatcher, &QFileSystemWatcher::directoryChanged, this,
            &StoreWatch::onFolderChanged);
}

void StoreWatch::Start()
{
    m_fileWatcher.addPath(storeFolder());
    watchStoreFile();
}

void StoreWatch::ChangeSoon()
{
    m_changeTimer->start();
}

bool StoreWatch::EnsureIntact()
{
    return !isStoreLost() || recoverStore();
}

void StoreWatch::onFileChanged()
{
    // The store is written by replacing the file, which ends the watch on the old one.
    watchStoreFile();
    m_changeTimer->start();
}

void StoreWatch::onFolderChanged(const QString& path)
{
    if (isStoreLost() || path != storeFolder()) {
        if (recoverStore())
            m_changeTimer->start();
        return;
    }
    // Only a lapsed file watch matters here: a store file that came back (or was created)
    // while nothing watched it.
    const QString file = m_store.fileName();
    if (m_fileWatcher.files().contains(file))
        return;
    watchStoreFile();
    m_changeTimer->start();
}

QString StoreWatch::storeFolder() const
{
    return QFileInfo(m_store.fileName()).absolutePath();
}

bool StoreWatch::isStoreLost() const
{
    // A deleted folder ends its own watch; a deleted file leaves the folder watched.
    return !m_fileWatcher.directories().contains(storeFolder()) ||
           !QFileInfo::exists(m_store.fileName());
}

bool StoreWatch::recoverStore()
{
    const QString folder = storeFolder();
    if (!QFileInfo(folder).isDir()) {
        // A file in the folder's place keeps the store away for long: the values stay in
        // memory meanwhile, where the settings library would read the store as empty.
        if (QFileInfo::exists(folder))
            putBackLastKnownValues();
        // Wait for the folder to come back, from the nearest folder that still exists.
        QDir ancestor(folder);
        while (!ancestor.exists() && ancestor.cdUp()) {
        }
        if (!m_fileWatcher.directories().contains(ancestor.absolutePath()))
            m_fileWatcher.addPath(ancestor.absolutePath());
        return false;
    }
    const QStringList watched = m_fileWatcher.directories();
    if (!watched.isEmpty())
        m_fileWatcher.removePaths(watched);
    m_fileWatcher.addPath(folder);

    putBackLastKnownValues();
    m_store.sync();
    watchStoreFile();
    const bool back = QFileInfo::exists(m_store.fileName());
    if (back)
        qDebug().noquote() << "Settings store" << m_store.fileName() << "was lost and is rewritten";
    return back;
}

void StoreWatch::putBackLastKnownValues()
{
    // The settings library rereads a vanished file as empty and writes back only what was
    // set since: put back every value it forgot, keeping what was written meanwhile.
    m_store.sync();
    for (auto it = m_lastKnownStore.cbegin(); it != m_lastKnownStore.cend(); ++it)
        if (!m_store.contains(it.key())) {
            m_store.setValue(it.key(), it.value());
            UserSettingsStore::NoteValuesChanged();
        }
}

void StoreWatch::watchStoreFile()
{
    const QString file = m_store.fileName();
    if (m_fileWatcher.files().contains(file))
        m_fileWatcher.removePath(file);
    if (QFileInfo::exists(file))
        m_fileWatcher.addPath(file);
}

void StoreWatch::Remember()
{
    m_lastKnownStore.clear();
    const QStringList keys = m_store.allKeys();
    for (const QString& key : keys)
        m_lastKnownStore.insert(key, m_store.value(key));
}
