// Temporary stand-in for the window centring of the shared module, until the window
// and field helpers land; drop this file when they do.
#include "base/basBase.h"

#include "base/failure.h"
#include "controls/form.h"
#include "platform/desktop.h"

namespace basBase {

void CenterForm(controls::Form &form)
{
    failure::skip([&] {
        form.setLeft(float(platform::desktop::screenWidthTwips() - form.Width()) / 2.0f);
    });
    failure::skip([&] {
        form.setTop(float(platform::desktop::screenHeightTwips() - form.Height() - 375) / 2.0f);
    });
}

} // namespace basBase
