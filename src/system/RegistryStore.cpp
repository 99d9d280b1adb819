#include "system/RegistryStore.h"

#include "system/SharedFileSystem.h"

#include <QStringConverter>
#include <QStringView>

namespace {

// Every step below looks at each character a fixed number of times and copies a text only to keep
// it, so that no shape of file (one key thousands of levels deep, one value megabytes long) costs
// more than its size.

QString normalizedKeyPath(QStringView path)
{
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    return path.toString().toCaseFolded();
}

QString decodeFile(const QByteArray& contents)
{
    if (contents.startsWith("\xFF\xFE")) {
        QStringDecoder decoder(QStringConverter::Utf16LE);
        return decoder(QByteArrayView(contents).sliced(2));
    }
    if (contents.startsWith("\xEF\xBB\xBF"))
        return QString::fromUtf8(QByteArrayView(contents).sliced(3));
    return QString::fromUtf8(contents);
}

// The file's lines, without their line ends, as views into the decoded text.
class Lines {
public:
    explicit Lines(QStringView text)
        : m_text(text)
    {
    }
    bool atEnd() const { return m_pos > m_text.size(); }
    QStringView peek() const
    {
        qsizetype end = m_text.indexOf(QLatin1Char('\n'), m_pos);
        if (end < 0)
            end = m_text.size();
        QStringView line = m_text.sliced(m_pos, end - m_pos);
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        return line;
    }
    QStringView next()
    {
        qsizetype end = m_text.indexOf(QLatin1Char('\n'), m_pos);
        if (end < 0)
            end = m_text.size();
        const QStringView line = peek();
        m_pos = end + 1;
        return line;
    }

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

// Reads a quoted text starting at text[pos] == '"'; only \" and \\ are escapes, as the registry
// editor writes them. On success pos is just past the closing quote.
bool readQuoted(QStringView text, qsizetype& pos, QString& out)
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

void skipBlanks(QStringView text, qsizetype& pos)
{
    while (pos < text.size() && text[pos].isSpace())
        ++pos;
}

int hexDigit(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9')
        return u - u'0';
    if (u >= u'a' && u <= u'f')
        return u - u'a' + 10;
    if (u >= u'A' && u <= u'F')
        return u - u'A' + 10;
    return -1;
}

// One to maxDigits hexadecimal digits and nothing else.
bool parseHex(QStringView digits, qsizetype maxDigits, quint32& out)
{
    if (digits.isEmpty() || digits.size() > maxDigits)
        return false;
    out = 0;
    for (QChar c : digits) {
        const int d = hexDigit(c);
        if (d < 0)
            return false;
        out = out * 16 + quint32(d);
    }
    return true;
}

// A comma-separated list of bytes, each one or two hexadecimal digits, blanks allowed around them.
bool parseHexBytes(QStringView list, QByteArray& out)
{
    out.clear();
    list = list.trimmed();
    if (list.isEmpty())
        return true;
    out.reserve(list.size() / 3 + 1);
    qsizetype start = 0;
    for (;;) {
        qsizetype end = list.indexOf(QLatin1Char(','), start);
        if (end < 0)
            end = list.size();
        quint32 byte = 0;
        if (!parseHex(list.sliced(start, end - start).trimmed(), 2, byte))
            return false;
        out.append(char(byte));
        if (end == list.size())
            return true;
        start = end + 1;
    }
}

// A line that goes on a binary value: hexadecimal digits, commas and blanks, perhaps a backslash
// at its end.
bool isContinuationLine(QStringView trimmedLine)
{
    QStringView body = trimmedLine;
    if (body.endsWith(QLatin1Char('\\')))
        body.chop(1);
    if (body.isEmpty())
        return false;
    for (QChar c : body)
        if (hexDigit(c) < 0 && c != QLatin1Char(',') && !c.isSpace())
            return false;
    return true;
}

bool isValidKeyPath(QStringView path)
{
    if (path.isEmpty() || path.startsWith(QLatin1Char('-')))
        return false;
    while (path.endsWith(QLatin1Char('\\')))
        path.chop(1);
    // No empty part: not empty, no leading separator, no two in a row.
    return !path.isEmpty() && !path.startsWith(QLatin1Char('\\')) && !path.contains(QLatin1String("\\\\"));
}

} // namespace

RegistryStore RegistryStore::load(const QString& filePath)
{
    const std::optional<QByteArray> contents = readRegularFile(filePath, MaxFileSize);
    return contents ? parse(*contents) : RegistryStore();
}

RegistryStore RegistryStore::parse(const QByteArray& fileContents)
{
    RegistryStore store;
    const QString text = decodeFile(fileContents);
    Lines lines(text);

    std::optional<QString> currentKey; // none before the first key and after an unreadable one
    while (!lines.atEnd()) {
        const QStringView line = lines.next().trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.compare(QLatin1String("Windows Registry Editor Version 5.00"), Qt::CaseInsensitive) == 0
            || line.compare(QLatin1String("REGEDIT4"), Qt::CaseInsensitive) == 0)
            continue;

        if (line.startsWith(QLatin1Char('['))) {
            currentKey.reset();
            if (!line.endsWith(QLatin1Char(']')))
                continue;
            const QStringView path = line.sliced(1, line.size() - 2);
            if (!isValidKeyPath(path))
                continue;
            currentKey = normalizedKeyPath(path);
            store.m_keys.insert(*currentKey);
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
        QStringView data = line.sliced(pos);

        // Binary forms may run on over lines that end in a backslash; gather them before
        // deciding whether the value can be read, so that its tail is never read as lines of its own.
        QString gathered;
        bool complete = true;
        if (data.startsWith(QLatin1String("hex"), Qt::CaseInsensitive) && data.endsWith(QLatin1Char('\\'))) {
            gathered = data.toString();
            while (gathered.endsWith(QLatin1Char('\\'))) {
                gathered.chop(1);
                const QStringView next = lines.atEnd() ? QStringView() : lines.peek().trimmed();
                if (!isContinuationLine(next)) {
                    complete = false;
                    break;
                }
                gathered += next;
                lines.next();
            }
            data = gathered;
        }
        if (!complete || !currentKey)
            continue;

        RegistryValue value;
        if (data.startsWith(QLatin1Char('"'))) {
            qsizetype dataPos = 0;
            if (!readQuoted(data, dataPos, value.text) || !data.sliced(dataPos).trimmed().isEmpty())
                continue;
            value.type = RegistryValueType::Text;
        } else if (data.startsWith(QLatin1String("dword:"), Qt::CaseInsensitive)) {
            if (!parseHex(data.sliced(6).trimmed(), 8, value.dword))
                continue;
            value.type = RegistryValueType::DWord;
        } else if (data.startsWith(QLatin1String("hex:"), Qt::CaseInsensitive)) {
            if (!parseHexBytes(data.sliced(4), value.bytes))
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

bool RegistryStore::hasKey(const QString& keyPath) const
{
    const QString key = normalizedKeyPath(keyPath);
    if (key.isEmpty())
        return false;
    if (m_keys.count(key) != 0)
        return true;
    // Like the registry, a key cannot exist without its parents. The keys below this one all begin
    // with it and a separator; in order, the first of them is the first text not below that.
    const QString below = key + QLatin1Char('\\');
    const auto first = m_keys.lower_bound(below);
    return first != m_keys.end() && first->startsWith(below);
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
