// Reading a label's words with Tesseract, one phrase at a time.
#pragma once

#include <opencv2/core.hpp>

#include <memory>
#include <string>

namespace tesseract {
class TessBaseAPI;
}

class LabelReader {
public:
    LabelReader();
    ~LabelReader();
    LabelReader(const LabelReader&) = delete;
    LabelReader& operator=(const LabelReader&) = delete;

    // Loads the languages ("eng", "eng+deu"); false when one is not installed.
    bool open(const std::string& language);
    bool isOpen() const { return open_; }
    // The words of one line of print inside area of gray (8 bits), UTF-8, as Tesseract reads them.
    std::string read(const cv::Mat& gray, const cv::Rect& area, double pixelsPerMm);

private:
    std::unique_ptr<tesseract::TessBaseAPI> api_;
    bool open_ = false;
};
