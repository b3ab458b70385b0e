#pragma once

#include "settings/userSettingsStore.h"

// A setting's value kept between reads for code that reads it on every result or paint:
// each read of a setting opens the store, with its file checks. Read again once the store
// has changed (in this process or from its file).
template <typename Setting> class CachedSetting
{
public:
    using Value = decltype(Setting().Get());

    Value Get()
    {
        const quint64 generation = UserSettingsStore::Generation();
        if (!m_read || generation != m_generation) {
            m_generation = generation;
            m_value = Setting().Get();
            m_read = true;
        }
        return m_value;
    }

private:
    Value m_value{};
    quint64 m_generation = 0;
    bool m_read = false;
};
