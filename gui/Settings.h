#pragma once
// Where both programs keep their settings: the registry on Windows, an INI file elsewhere.

#include <QSettings>
#include <QString>
#include <QStringList>

namespace gui {

inline constexpr const char* kCompanyKey = "Fennwick Software";

// A profile value in section "Settings" (or another section), as the programs read them.
int ReadProfileInt(const QString& appTitle, const QString& key, int defaultValue,
                   const QString& section = QStringLiteral("Settings"));
void WriteProfileInt(const QString& appTitle, const QString& key, int value,
                     const QString& section = QStringLiteral("Settings"));
QString ReadProfileString(const QString& appTitle, const QString& key, const QString& defaultValue,
                          const QString& section = QStringLiteral("Settings"));
void WriteProfileString(const QString& appTitle, const QString& key, const QString& value,
                        const QString& section = QStringLiteral("Settings"));

// The recent-file list: "Recent File List/File1".."FileN", newest first.
class RecentFileList {
public:
    explicit RecentFileList(QString appTitle, int size = 4);

    void Load();
    void Save() const;
    // Puts path at the top (moving it if present) and saves the list.
    void Add(const QString& path);
    void Remove(const QString& path);
    const QStringList& Files() const { return m_files; }
    int Size() const { return m_size; }

    // The menu text of entry i (0-based): "&1 path".
    QString MenuText(int i) const;

private:
    QString m_appTitle;
    int m_size;
    QStringList m_files;
};

} // namespace gui
