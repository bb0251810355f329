#pragma once
// The 500 × 500 plan surface at the top of the simulator window: the plan
// picture, then every head and label of the plan in list order, each with
// its place, rotation, scale and transparency, drawn with painter transforms
// from the shared 100 × 100 head pictures. Editing plugs in through
// `PlanSurfaceInput`; the surface itself only draws and guards the mouse.
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "plan/plan_objects.h"
#include "plan/plan_pictures.h"

class QMouseEvent;
class QPainter;
class QWheelEvent;

namespace livra {
class UserDialogs;
}

namespace livra::ui {

inline constexpr int PlanSurfaceSize = 500;

// Whoever edits the plan receives the surface's mouse events here, only
// while editing is allowed (simulation stopped or paused).
class PlanSurfaceInput {
public:
    virtual ~PlanSurfaceInput() = default;
    virtual void mousePress(QMouseEvent*) = 0;
    virtual void mouseMove(QMouseEvent*) = 0;
    virtual void mouseRelease(QMouseEvent*) = 0;
    virtual void wheel(QWheelEvent*) = 0;
};

class PlanSurface : public QWidget {
    Q_OBJECT
public:
    PlanSurface(Plan& plan, const Configuration& config, QWidget* parent = nullptr);

    void setPlanPicture(const QImage& picture);
    const QImage& planPicture() const { return planPicture_; }
    // Loads a plan picture; false (and the picture unchanged) when the file
    // cannot be read as a picture.
    bool loadPlanPictureFile(const std::string& path);
    // Said on the plan, not in its screenshots, while it has no picture:
    // the picture the plan names was found nowhere.
    void setMissingPictureNote(const QString& note);
    const QString& missingPictureNote() const { return missingNote_; }

    // Moves the blink phase on and chooses every head's picture from the
    // kind and signal last handed to it (mode 0 blink, 1 reset: all dark).
    void drawPlanObjects(int mode);
    // Chooses the pictures again at the current blink phase, so a tact's
    // signals show as soon as they are handed over.
    void showHandedSignals();
    int blinkPhase() const { return blinkPhase_; }
    // The picture a head shows now; nothing for an object that is no head.
    std::optional<HeadPicture> headPicture(int32_t id) const;

    // Objects painted with a blue tint (hovered or selected).
    void setHighlighted(std::vector<int32_t> ids);
    const std::vector<int32_t>& highlighted() const { return highlighted_; }

    // What is on screen, 500 × 500.
    QImage renderToImage();
    void render(QPainter& p);

    void setInput(PlanSurfaceInput* input) { input_ = input; }
    void setEditingAllowed(bool allowed) { editingAllowed_ = allowed; }
    bool editingAllowed() const { return editingAllowed_; }
    // Where the running-edit warning is shown.
    void setDialogs(UserDialogs* dialogs) { dialogs_ = dialogs; }
    // True after the warning until the mouse button is released.
    bool ignoringUntilRelease() const { return ignoreUntilRelease_; }

    QSize sizeHint() const override { return {PlanSurfaceSize, PlanSurfaceSize}; }

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    void choosePictures(PlanDrawMode mode);
    const QImage* sourceFor(const PlanObject& o);
    const QImage& labelImage(const PlanObject& o);

    Plan& plan_;
    const Configuration& c_;
    QString missingNote_;
    QImage planPicture_;        // as loaded
    QImage planPictureScaled_;  // stretched to the surface once, not on every frame
    int blinkPhase_ = 0;
    std::unordered_map<int32_t, HeadPicture> pictures_;  // head id → picture on show
    struct LabelPicture {
        std::string text;
        QImage image;
    };
    std::unordered_map<int32_t, LabelPicture> labels_;
    std::vector<int32_t> highlighted_;
    PlanSurfaceInput* input_ = nullptr;
    UserDialogs* dialogs_ = nullptr;
    bool editingAllowed_ = true;
    bool ignoreUntilRelease_ = false;
};

}  // namespace livra::ui
