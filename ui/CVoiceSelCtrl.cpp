#include "ui/CVoiceSelCtrl.h"

#include "host/CQOVDefUiSettings.h"
#include "host/CZuBuffer.h"
#include "host/QOVMessage.h"

#include <QMouseEvent>
#include <QPainter>

CVoiceSelCtrl::CVoiceSelCtrl(QWidget* parent)
    : CBtnSelCtrl(parent)
{
    // Hover is followed without a button held, as the play icon appears under the pointer.
    setMouseTracking(true);
}

void CVoiceSelCtrl::SetPictureSize(int width, int height)
{
    m_pictureWidth = width;
    m_pictureHeight = height;
}

void CVoiceSelCtrl::SetImages(CZuBuffer* playIcon, CZuBuffer* /*secondIcon*/, CZuBuffer* tileBackground,
                              CZuBuffer* selectedTileBackground)
{
    m_playIcon = playIcon;
    m_tileBackground = tileBackground;
    m_selectedTileBackground = selectedTileBackground;
}

void CVoiceSelCtrl::SetSelectedGroup(int index)
{
    m_selectedGroup = index;
    m_selectedChild = -1;
    for (qsizetype i = 0; i < m_groups.size(); ++i)
        m_groups[i]->selected = i == index ? 1 : 0;
    m_hoverIndex = -1;
    update();
}

QRect CVoiceSelCtrl::PlayIconRect(const QRect& tile) const
{
    const QRect picture = PictureRect(tile);
    return QRect(picture.x() + (picture.width() - kPlayIconSize) / 2, picture.y() + (picture.height() - kPlayIconSize) / 2,
                 kPlayIconSize, kPlayIconSize);
}

QRect CVoiceSelCtrl::TextRect(const QRect& tile) const
{
    const int tileBottom = tile.y() + tile.height();
    if (m_textBelowPicture)
        return QRect(tile.x(), tile.y() + m_pictureHeight, m_pictureWidth, tileBottom - tile.y() - m_pictureHeight);
    const int left = tile.x() + m_pictureWidth + kTextGap;
    return QRect(left, tile.y(), tile.x() + tile.width() - left, m_pictureHeight);
}

SelectorHit CVoiceSelCtrl::HitTest(const QPoint& point) const
{
    SelectorHit hit;
    for (qsizetype i = 0; i < m_groups.size(); ++i) {
        const QRect& tile = m_groups[i]->rect;
        if (!tile.contains(point))
            continue;
        hit.group = int32_t(i);
        if (!PictureRect(tile).contains(point))
            hit.kind = SelectorHit::Group;
        else if (m_showPlayIcon && m_hoverOnPicture && m_hoverIndex == i && PlayIconRect(tile).contains(point))
            hit.kind = SelectorHit::PlayIcon;
        else
            hit.kind = SelectorHit::Picture;
        return hit;
    }
    return hit;
}

void CVoiceSelCtrl::PostPlay(int index)
{
    QOVPostMessage(parentWidget(), kPlaySampleMessage, uintptr_t(intptr_t(index)), intptr_t(GetDlgCtrlID()));
}

void CVoiceSelCtrl::OnLButtonDown(Qt::KeyboardModifiers, const QPoint& point)
{
    m_captured = true;
    const SelectorHit hit = HitTest(point);
    if (hit.kind == SelectorHit::PlayIcon)
        PostPlay(hit.group);
    if (hit.group < 0) {
        // A press beside the tiles silences a sample that is still playing.
        PostPlay(-1);
        return;
    }
    if (m_selectedGroup != hit.group && m_selectedGroup >= 0 && m_selectedGroup < m_groups.size())
        m_groups[m_selectedGroup]->selected = 0;
    m_selectedGroup = hit.group;
    m_selectedChild = hit.child;
    m_hitKind = hit.kind;
    m_groups[hit.group]->selected = 1;
    update();
}

void CVoiceSelCtrl::OnLButtonUp(Qt::KeyboardModifiers, const QPoint&)
{
    if (m_captured) {
        const bool hadPicture = m_hoverOnPicture;
        m_hoverOnPicture = false;
        m_hoverIndex = -1;
        if (SelectedGroupInfo())
            QOVSendMessage(parentWidget(), kVoiceChosenMessage, uintptr_t(m_selectedGroup), intptr_t(GetDlgCtrlID()));
        if (hadPicture)
            update();
    }
    m_captured = false;
}

void CVoiceSelCtrl::mouseMoveEvent(QMouseEvent* event)
{
    const SelectorHit hit = HitTest(event->position().toPoint());
    const bool wasOnPicture = m_hoverOnPicture;
    m_hoverIndex = hit.group;
    m_hoverOnPicture = hit.kind == SelectorHit::Picture || hit.kind == SelectorHit::PlayIcon;
    // Also when the pointer moves off a picture into a gap, or its icon would stay behind.
    if (m_hoverIndex >= 0 || wasOnPicture)
        update();
    CBtnSelCtrl::mouseMoveEvent(event);
}

void CVoiceSelCtrl::leaveEvent(QEvent* event)
{
    m_hoverIndex = -1;
    update();
    CBtnSelCtrl::leaveEvent(event);
}

void CVoiceSelCtrl::OnDraw(QPainter& painter)
{
    const CQOVDefUiSettings& ui = CQOVDefUiSettings::GetDefUiSettings();
    painter.fillRect(rect(), ui.background);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const bool backgrounds = m_tileBackground && m_selectedTileBackground && !m_tileBackground->IsEmpty() &&
                             !m_selectedTileBackground->IsEmpty();
    for (qsizetype i = 0; i < m_groups.size(); ++i) {
        const ItemInfo& group = *m_groups[i];
        const bool selected = group.selected != 0;
        if (backgrounds)
            (selected ? m_selectedTileBackground : m_tileBackground)->StretchBltToDC(&painter, group.rect, QRect(), 0);
        else
            painter.fillRect(group.rect, selected ? ui.selectedTile : ui.tile);
        if (group.image && !group.image->IsEmpty())
            group.image->StretchBltToDC(&painter, PictureRect(group.rect), QRect(), 0);
        painter.setPen(selected ? QColor(Qt::white) : ui.text);
        const Qt::Alignment align = m_textBelowPicture ? Qt::AlignHCenter : Qt::AlignLeft;
        // Names may carry a line break; a tile shows them on one line.
        const QString name = QString(group.name).replace(QStringLiteral("\r\n"), QStringLiteral(" "));
        const QRect text = TextRect(group.rect);
        painter.drawText(text, int(align | Qt::AlignVCenter) | Qt::TextSingleLine,
                         painter.fontMetrics().elidedText(name, Qt::ElideRight, text.width()));
        if (m_showPlayIcon && m_hoverOnPicture && m_hoverIndex == i && m_playIcon && !m_playIcon->IsEmpty())
            m_playIcon->StretchBltToDC(&painter, PlayIconRect(group.rect), QRect(), 0);
    }
}
