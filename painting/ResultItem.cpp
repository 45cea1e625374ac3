#include "painting/ResultItem.h"

#include <QFileInfo>

ResultItem::ResultItem(const QString& file)
{
    path = file;
    name = QFileInfo(file).fileName();
    toolTip = file;
    if (m_picture.CreateFromFile(file))
        thumbnail = &m_picture;
}
