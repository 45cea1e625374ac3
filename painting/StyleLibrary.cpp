#include "painting/StyleLibrary.h"

#include "host/CZuBuffer.h"
#include "host/QOVPaths.h"

#include <QFile>

#include <tinyxml.h>

namespace StyleLibrary {

QString Folder()
{
    return ZuGetPath(ZU_PATH_APP_ROOT) + QLatin1String(kFolder);
}

void Read(const QString& folder, QStringList& names, QList<CZuBuffer*>& pictures)
{
    QFile file(folder + QLatin1String(kFileName));
    if (!file.open(QIODevice::ReadOnly))
        return;
    TiXmlDocument document;
    document.Parse(file.readAll().constData(), nullptr, TIXML_ENCODING_UTF8);
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
