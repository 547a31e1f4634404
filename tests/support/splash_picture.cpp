#include "support/splash_picture.h"

Image splashPicture(HMODULE module, const std::string& progressText, const std::string& stepName)
{
    Image picture;
    picture.width = 420;
    picture.height = 300;
    picture.pixels.assign(420 * 300, systemColour(COLOR_WINDOW));
    const Image title = bitmapResource(module, "SPLASH");
    const Image strip = bitmapResource(module, "PROGRESS_" + progressText);
    const Image caption = bitmapResource(module, "STEP_" + stepName);
    copyOnto(picture, title, 0, 0);
    copyOnto(picture, strip, 0, 270);
    orOnto(picture, caption, 0, 276);
    return picture;
}
