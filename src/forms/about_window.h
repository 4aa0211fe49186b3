// The About window: title, logo, description, a link to the service's home
// page, "Check Update", "Close Window", and "Exit", the program's only way out.
#pragma once

#include <memory>

#include "forms/form_requests.h"
#include "image/picture_classes.h"
#include "image/png_picture.h"
#include "win/form.h"

class TFormAbout : public Form, public RaisesRequests {
public:
    enum ControlId {
        kBitBtn1 = 101,  // Exit
        kBitBtn2 = 102,  // Close Window
        kBitBtnUpdate = 103,
        kLabel1 = 104,
        kLabel2 = 105,
        kStaticText1 = 106,
        kImage1 = 107,
    };

    // The logo is read through the registry's picture classes.
    explicit TFormAbout(const PictureClassRegistry& pictures);
    ~TFormAbout() override;

    // The logo as loaded at creation; null when it could not be.
    const TPngPicture* Logo() const { return logo_.get(); }
    // Image1's box in the client area at the window's DPI.
    RECT Image1Rect() const;

    void ExitClick();
    void CloseWindowClick();
    void BitBtnUpdateClick();
    void HomePageLinkClick();

protected:
    void FormCreate() override;
    bool FormShow() override;
    bool FormClose() override;
    void Command(int id, int notification) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    const PictureClassRegistry& pictures_;
    std::unique_ptr<TPngPicture> logo_;
};

extern TFormAbout* FormAbout;
