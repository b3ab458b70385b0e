#pragma once

#include "bus/quarnBus.h"
#include "settings/userSettingsStore.h"

#include <QString>
#include <QVariant>

#include <type_traits>

// The values a setting takes, inclusive.
struct SettingRange
{
    qint64 minimum;
    qint64 maximum;
};

// What every setting knows of itself whatever its value type: its key and the values it
// takes. Values from outside the program (a profile file) are checked against it.
class UserSettingBase
{
public:
    UserSettingBase(QString key, SettingRange range) : m_key(std::move(key)), m_range(range) {}
    virtual ~UserSettingBase() = default;
    UserSettingBase(const UserSettingBase&) = delete;
    UserSettingBase& operator=(const UserSettingBase&) = delete;

    const QString& Key() const { return m_key; }
    SettingRange Range() const { return m_range; }
    virtual bool Accepts(qint64 value) const
    {
        return value >= m_range.minimum && value <= m_range.maximum;
    }
    // The stored value as the store holds it.
    virtual qint64 StoredValue() const = 0;

private:
    QString m_key;
    SettingRange m_range;
};

// One persisted integer setting. It holds no value: every read goes to the live store and
// every write goes there first, so any number of instances of one setting agree. Concrete
// settings supply key and default and override Set to tell the head.
template <typename T> class UserSettingInt : public UserSettingBase
{
public:
    // What Get() returns: the stored integer, unsigned for the 32-bit frequency.
    using Stored = std::conditional_t<std::is_same_v<T, unsigned int>, unsigned int, int>;

    UserSettingInt(QString key, T defaultValue, SettingRange range)
        : UserSettingBase(std::move(key), range), m_default(defaultValue)
    {}

    virtual void Set(T value) { write(QVariant(stored(value))); }
    // Values reported by the head: stored, never sent back.
    virtual void SyncWithMasterValue(unsigned char value) { write(QVariant(int(value))); }
    virtual void SyncWithMasterValue(unsigned int value) { write(QVariant(value)); }
    virtual QString toString() const { return QString::number(Get(), 10); }

    Stored Get() const
    {
        const QVariant value = m_store.value(Key(), QVariant(stored(m_default)));
        if constexpr (std::is_same_v<Stored, unsigned int>)
            return value.toUInt();
        else
            return value.toInt();
    }

    T DefaultValue() const { return m_default; }
    qint64 StoredValue() const override { return qint64(Get()); }

protected:
    // The read-back value (its low bytes, as Payload) in the setting's message to the head.
    template <typename Msg, typename Payload = quint8> void SendStored() const
    {
        QuarnBus::Get()->sendMsg(Msg(Payload(Get())));
    }

    template <typename Msg, typename Payload = quint8> void StoreAndSend(T value)
    {
        UserSettingInt::Set(value);
        SendStored<Msg, Payload>();
    }

    // Stores the value; true when the read-back value differs from the one before.
    bool StoreAndCheckChanged(T value)
    {
        const Stored old = Get();
        UserSettingInt::Set(value);
        return Get() != old;
    }

private:
    static Stored stored(T value) { return static_cast<Stored>(value); }
    // An unchanged value is not written: every write rewrites the whole store file, and
    // the head reports every setting in each system data block.
    void write(const QVariant& value)
    {
        const QVariant held = m_store.value(Key());
        if (held.isValid() && held.toString() == value.toString())
            return;
        m_store.setValue(Key(), value);
        UserSettingsStore::NoteChange();
    }

    T m_default;
    UserSettingsStore m_store;
};
