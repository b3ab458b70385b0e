#pragma once

#include <QFileSystemWatcher>
#include <QMap>
#include <QObject>
#include <QVariant>

class QTimer;
class UserSettingsStore;

// Watches the live store file for writes by anyone (a subscreen, another thread, another
// process) and keeps it there: a store file or folder that vanished is written back from
// the values last seen whole. Many watcher events of one write make one Changed().
class StoreWatch : public QObject
{
    Q_OBJECT
public:
    StoreWatch(UserSettingsStore& store, QObject* parent = nullptr);

    // Starts watching the store's folder and file.
    void Start();
    // A change the file system will not announce (a write that failed): Changed() soon.
    void ChangeSoon();
    // False when the store is lost and cannot be put back yet (its folder is gone).
    bool EnsureIntact();
    // Takes the store as it is now as the values to put back.
    void Remember();

signals:
    void Changed();

private:
    void onFileChanged();
    void onFolderChanged(const QString& path);
    QString storeFolder() const;
    bool isStoreLost() const;
    // True when the store file is back with every value.
    bool recoverStore();
    void putBackLastKnownValues();
    void watchStoreFile();

    UserSettingsStore& m_store;
    QFileSystemWatcher m_fileWatcher;
    // The store as last seen whole, to rewrite a store file that vanished.
    QMap<QString, QVariant> m_lastKnownStore;
    QTimer* m_changeTimer = nullptr;
};
