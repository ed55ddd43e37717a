#pragma once

#include <QAnyStringView>

// `object` under the name that tests and the other windows find it by.
template <class Object>
Object* Named(Object* object, QAnyStringView name) {
    object->setObjectName(name);
    return object;
}
