#include "image/image_source.h"

#include <cstring>

ImageSource ImageSource::Controller(const std::string& port, int unit, const std::string& when) {
    ImageSource source;
    source.kind = Kind::Controller;
    source.port = port;
    source.unit = unit;
    source.when = when;
    return source;
}

ImageSource ImageSource::File(const std::string& path) {
    ImageSource source;
    source.kind = Kind::File;
    source.path = path;
    return source;
}

ImageSource ImageSource::History(const std::string& what) {
    ImageSource source;
    source.kind = Kind::History;
    source.path = what;
    return source;
}

std::string ImageSource::Describe() const {
    std::string text;
    switch (kind) {
    case Kind::StartValues:
        text = "start values";
        break;
    case Kind::Controller:
        text = "controller" + (when.empty() ? std::string() : ", read at " + when);
        break;
    case Kind::File:
        text = "file " + path;
        break;
    case Kind::History:
        text = "history: " + path;
        break;
    }
    return editedSince ? text + ", edited since" : text;
}

std::string ModelCodeText(const ImageSource& source) {
    // A snapshot knows the model code of the controller it was taken of.
    const bool known = source.IsController() || source.kind == ImageSource::Kind::History;
    return known && source.modelCodeRead ? source.modelCode : "not read";
}

std::string FourteenCharacters(const char* code) {
    return std::string(code, strnlen(code, 14));
}
