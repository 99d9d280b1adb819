#include "system/RegistryStore.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringConverter>
#include <QStringList>

namespace {

QString normalizedKeyPath(const QString& path)
{
    QString p = path;
    while (p.endsWith(QLatin1Char('\\')))
        p.chop(1);
    return p.toCaseFolded();
}

QString decodeFile(const QByteArray& contents)
{
    if (contents.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringConverter::Utf16LE);
        return decoder(contents.mid(2));
    }
    if (contents.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(contents.mid(3));
    return QString::fromUtf8(contents);
}

// Reads a quoted text starting at text[pos] == '"'; only \" and \\ are escapes, as the registry
// editor writes them. On success pos is just past the closing quote.
bool readQuoted(const QString& text, qsizetype& pos, QString& out)
{
    if (pos >= text.size() || text[pos] != QLatin1Char('"'))
        return false;
    out.clear();
    for (qsizetype i = pos + 1; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c == QLatin1Char('"')) {
            pos = i + 1;
            return true;
        }
        if (c == QLatin1Char('\\')) {
            if (i + 1 >= text.size())
                return false;
            const QChar next = text[i + 1];
            if (next != QLatin1Char('"') && next != QLatin1Char('\\'))
                return false;
            out += next;
            ++i;
            continue;
        }
        out += c;
    }
    return false;
}

void skipBlanks(const QString& text, qsizetype& pos)
{
    while (pos < text.size() && text[pos].isSpace())
        ++pos;
}

bool parseDWord(const QString& digits, quint32& out)
{
    static const QRegularExpression hex(QStringLiteral("^[0-9A-Fa-f]{1,8}$"));
    if (!hex.match(digits).hasMatch())
        return false;
    bool ok = false;
    out = digits.toUInt(&ok, 16);
    return ok;
}

bool parseHexBytes(const QString& list, QByteArray& out)
{
    out.clear();
    const QString trimmed = list.trimmed();
    if (trimmed.isEmpty())
        return true;
    static const QRegularExpression byte(QStringLiteral("^[0-9A-Fa-f]{1,2}$"));
    const QStringList items = trimmed.split(QLatin1Char(','));
    for (const QString& item : items) {
        const QString b = item.trimmed();
        if (!byte.match(b).hasMatch())
            return false;
        out.append(static_cast<char>(b.toUInt(nullptr, 16)));
    }
    return true;
}

bool isContinuationLine(const QString& trimmedLine)
{
    static const QRegularExpression hexRun(QStringLiteral("^[0-9A-Fa-f,\\s]+\\\\?$"));
    return hexRun.match(trimmedLine).hasMatch();
}

bool isValidKeyPath(const QString& path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('-')))
        return false;
    QString p = path;
    while (p.endsWith(QLatin1Char('\\')))
        p.chop(1);
    if (p.isEmpty())
        return false;
    const QStringList parts = p.split(QLatin1Char('\\'));
    for (const QString& part : parts)
        if (part.isEmpty())
            return false;
    return true;
}

} // namespace

RegistryStore RegistryStore::load(const QString& filePath)
{
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return parse(file.readAll());
}

RegistryStore RegistryStore::parse(const QByteArray& fileContents)
{
    RegistryStore store;
    QStringList lines = decodeFile(fileContents).split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);

    std::optional<QString> currentKey; // none before the first key and after an unreadable one
    qsizetype i = 0;
    while (i < lines.size()) {
        const QString line = lines[i++].trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.compare(QLatin1String("Windows Registry Editor Version 5.00"), Qt::CaseInsensitive) == 0
            || line.compare(QLatin1String("REGEDIT4"), Qt::CaseInsensitive) == 0)
            continue;

        if (line.startsWith(QLatin1Char('['))) {
            currentKey.reset();
            if (!line.endsWith(QLatin1Char(']')))
                continue;
            const QString path = line.mid(1, line.size() - 2);
            if (!isValidKeyPath(path))
                continue;
            currentKey = normalizedKeyPath(path);
            store.addKey(*currentKey);
            continue;
        }

        QString name;
        qsizetype pos = 0;
        if (line.startsWith(QLatin1Char('@')))
            pos = 1;
        else if (!readQuoted(line, pos, name))
            continue;
        skipBlanks(line, pos);
        if (pos >= line.size() || line[pos] != QLatin1Char('='))
            continue;
        ++pos;
        skipBlanks(line, pos);
        QString data = line.mid(pos);

        // Binary forms may run on over lines that end in a backslash; gather them before
        // deciding whether the value can be read, so that its tail is never read as lines of its own.
        bool complete = true;
        if (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive)) {
            while (data.endsWith(QLatin1Char('\\'))) {
                data.chop(1);
                const QString next = i < lines.size() ? lines[i].trimmed() : QString();
                if (!isContinuationLine(next)) {
                    complete = false;
                    break;
                }
                data += next;
                ++i;
            }
        }
        if (!complete || !currentKey)
            continue;

        RegistryValue value;
        if (data.startsWith(QLatin1Char('"'))) {
            qsizetype dataPos = 0;
            if (!readQuoted(data, dataPos, value.text) || !data.mid(dataPos).trimmed().isEmpty())
                continue;
            value.type = RegistryValueType::Text;
        } else if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            if (!parseDWord(data.mid(6).trimmed(), value.dword))
                continue;
            value.type = RegistryValueType::DWord;
        } else if (data.startsWith(QLatin1String("hex:"), Qt::CaseInsensitive)) {
            if (!parseHexBytes(data.mid(4), value.bytes))
                continue;
            value.type = RegistryValueType::Binary;
        } else {
            continue;
        }
        // As on import, a value named twice keeps the later one.
        store.m_values[*currentKey].insert(name.toCaseFolded(), value);
    }
    return store;
}

void RegistryStore::addKey(const QString& normalizedPath)
{
    // Like the registry, a key cannot exist without its parents.
    QString p = normalizedPath;
    while (!p.isEmpty() && !m_keys.contains(p)) {
        m_keys.insert(p);
        const qsizetype cut = p.lastIndexOf(QLatin1Char('\\'));
        if (cut < 0)
            break;
        p.truncate(cut);
    }
}

bool RegistryStore::hasKey(const QString& keyPath) const
{
    return m_keys.contains(normalizedKeyPath(keyPath));
}

std::optional<RegistryValue> RegistryStore::value(const QString& keyPath, const QString& valueName) const
{
    const auto key = m_values.constFind(normalizedKeyPath(keyPath));
    if (key == m_values.constEnd())
        return std::nullopt;
    const auto found = key->constFind(valueName.toCaseFolded());
    if (found == key->constEnd())
        return std::nullopt;
    return *found;
}
