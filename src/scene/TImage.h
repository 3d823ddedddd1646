// A picture element: JPEG data shown at its natural size or stretched to the element.
#pragma once

#include <memory>

#include "scene/Picture.h"
#include "scene/SceneElement.h"

namespace scene {

class TImage : public SceneElement {
public:
    TImage(Form& owner, std::string name = {});

    bool IsWindowed() const override { return false; }
    void Paint(Painter& painter) override;
    // Pictures are opaque where they land.
    TRect OpaqueRect() const override { return DestRect().Intersect({0, 0, Width(), Height()}); }

    Picture* GetPicture() const { return picture_.get(); }
    const std::shared_ptr<Picture>& SharedPicture() const { return picture_; }
    void SetPicture(std::shared_ptr<Picture> p);
    bool Stretch() const { return stretch_; }
    void SetStretch(bool s);
    void SetCenter(bool c);
    void SetProportional(bool p);

    // Where the picture lands inside the element, in its own coordinates.
    TRect DestRect() const;

private:
    void Change(bool& field, bool value);

    std::shared_ptr<Picture> picture_;
    bool stretch_ = false;
    bool center_ = false;
    bool proportional_ = false;
};

}  // namespace scene
