#include "painting/StyleLibrary.h"

#include "host/CZuBuffer.h"
#include "host/QOVPaths.h"

#include <tinyxml.h>

#include <fstream>
#include <iterator>
#include <string>

namespace StyleLibrary {

QString Folder()
{
    return ZuGetPath(ZU_PATH_APP_ROOT) + QLatin1String(kFolder);
}

void Read(const QString& folder, QStringList& names, QList<CZuBuffer*>& pictures)
{
    std::ifstream stream((folder + QLatin1String(kFileName)).toStdString(), std::ios::binary);
    if (!stream)
        return;
    const std::string text{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
    Parse(QByteArray::fromStdString(text), folder, names, pictures);
}

void Parse(const QByteArray& xml, const QString& folder, QStringList& names, QList<CZuBuffer*>& pictures)
{
    TiXmlDocument document;
    document.Parse(xml.constData(), nullptr, TIXML_ENCODING_UTF8);
    if (document.Error())
        return;
    const TiXmlElement* root = document.RootElement();
    if (!root)
        return;
    for (const TiXmlElement* element = root->FirstChildElement(); element; element = element->NextSiblingElement()) {
        const char* name = element->Attribute("Name");
        const char* preview = element->Attribute("Preview");
        auto* picture = new CZuBuffer(0xFFFFFFFFu);
        // Without a name the path would be the folder itself, which no picture is.
        if (preview && *preview)
            picture->CreateFromFile(folder + QString::fromUtf8(preview));
        names << (name ? QString::fromUtf8(name) : QString());
        pictures << picture;
    }
}

void Free(QList<CZuBuffer*>& pictures)
{
    while (!pictures.isEmpty())
        delete pictures.takeLast();
}

} // namespace StyleLibrary
