#include "Settings.h"

#include <QDir>

namespace gui {

int ReadProfileInt(const QString& appTitle, const QString& key, int defaultValue, const QString& section)
{
    QSettings s(kCompanyKey, appTitle);
    bool ok = false;
    int v = s.value(section + "/" + key, defaultValue).toInt(&ok);
    return ok ? v : defaultValue;
}

void WriteProfileInt(const QString& appTitle, const QString& key, int value, const QString& section)
{
    QSettings s(kCompanyKey, appTitle);
    s.setValue(section + "/" + key, value);
}

QString ReadProfileString(const QString& appTitle, const QString& key, const QString& defaultValue,
                          const QString& section)
{
    QSettings s(kCompanyKey, appTitle);
    return s.value(section + "/" + key, defaultValue).toString();
}

void WriteProfileString(const QString& appTitle, const QString& key, const QString& value, const QString& section)
{
    QSettings s(kCompanyKey, appTitle);
    s.setValue(section + "/" + key, value);
}

RecentFileList::RecentFileList(QString appTitle, int size) : m_appTitle(std::move(appTitle)), m_size(size)
{}

void RecentFileList::Load()
{
    QSettings s(kCompanyKey, m_appTitle);
    m_files.clear();
    for (int i = 1; i <= m_size; ++i) {
        QString f = s.value(QString("Recent File List/File%1").arg(i)).toString();
        if (!f.isEmpty() && !m_files.contains(f))
            m_files << f;
    }
}

void RecentFileList::Save() const
{
    QSettings s(kCompanyKey, m_appTitle);
    for (int i = 1; i <= m_size; ++i) {
        QString key = QString("Recent File List/File%1").arg(i);
        if (i <= m_files.size())
            s.setValue(key, m_files[i - 1]);
        else
            s.remove(key);
    }
}

void RecentFileList::Add(const QString& path)
{
    const QString native = QDir::toNativeSeparators(path);
    m_files.removeAll(native);
    m_files.prepend(native);
    while (m_files.size() > m_size)
        m_files.removeLast();
    Save();
}

void RecentFileList::Remove(const QString& path)
{
    if (m_files.removeAll(QDir::toNativeSeparators(path)) > 0)
        Save();
}

QString RecentFileList::MenuText(int i) const
{
    QString path = m_files.value(i);
    path.replace("&", "&&");
    return QString("&%1 %2").arg(i + 1).arg(path);
}

} // namespace gui
