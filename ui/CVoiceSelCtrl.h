#pragma once

#include "ui/CBtnSelCtrl.h"
#include "service/MessageNumbers.h"

class CZuBuffer;

// The voice grid: tiles with a picture and a name, a hover effect and a play icon over the
// hovered picture. Choosing a tile and pressing its play icon are reported to the parent.
class CVoiceSelCtrl : public CBtnSelCtrl
{
public:
    // Sent when the button is released after a press while a tile is selected: word parameter the
    // selected index, long parameter the control's identifier.
    static constexpr int kVoiceChosenMessage = MessageNumbers::kVoiceChosen;
    // Posted on a press on a play icon (word parameter the tile) or outside every tile (-1).
    static constexpr int kPlaySampleMessage = MessageNumbers::kPlaySample;
    static constexpr int kPlayIconSize = 30;
    static constexpr int kTextGap = 5;

    explicit CVoiceSelCtrl(QWidget* parent = nullptr);

    void SetPictureSize(int width, int height);
    // The images are borrowed; the second icon is not drawn.
    void SetImages(CZuBuffer* playIcon, CZuBuffer* secondIcon, CZuBuffer* tileBackground,
                   CZuBuffer* selectedTileBackground);
    void SetTextBelowPicture(bool below) { m_textBelowPicture = below; }
    void SetShowPlayIcon(bool show) { m_showPlayIcon = show; }
    // Selects a tile without a press (the first one, when filling from the library).
    void SetSelectedGroup(int index);

    int GetHoverIndex() const { return m_hoverIndex; }
    bool IsHoverOnPicture() const { return m_hoverOnPicture; }
    QRect PictureRect(const QRect& tile) const { return QRect(tile.topLeft(), QSize(m_pictureWidth, m_pictureHeight)); }
    QRect PlayIconRect(const QRect& tile) const;
    QRect TextRect(const QRect& tile) const;

    SelectorHit HitTest(const QPoint& point) const override;

protected:
    void OnDraw(QPainter& painter) override;
    void OnLButtonDown(Qt::KeyboardModifiers modifiers, const QPoint& point) override;
    void OnLButtonUp(Qt::KeyboardModifiers modifiers, const QPoint& point) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void PostPlay(int index);

    int m_pictureWidth = 0;
    int m_pictureHeight = 0;
    CZuBuffer* m_playIcon = nullptr;
    CZuBuffer* m_tileBackground = nullptr;
    CZuBuffer* m_selectedTileBackground = nullptr;
    bool m_hoverOnPicture = false;
    int m_hoverIndex = -1;
    bool m_textBelowPicture = true;
    bool m_showPlayIcon = false;
};
