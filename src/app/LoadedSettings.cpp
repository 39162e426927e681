#include "LoadedSettings.h"

#include "ProfileFile.h"

void LoadedSettings::load(const QString &file)
{
    ProfileFile::readFile(file, &m_text);
}

// A value counts as held when writing it would leave the text as it is: a missing key, even with an
// empty value, is a change.
QList<modMain::IniValue> LoadedSettings::changed(const QList<modMain::IniValue> &values) const
{
    QList<modMain::IniValue> changes;
    for (const modMain::IniValue &value : values) {
        if (ProfileFile::withValue(m_text, value.section, value.key, value.value) != m_text)
            changes.append(value);
    }
    return changes;
}

void LoadedSettings::remember(const QList<modMain::IniValue> &values)
{
    for (const modMain::IniValue &value : values)
        m_text = ProfileFile::withValue(m_text, value.section, value.key, value.value);
}
