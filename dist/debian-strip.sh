#!/bin/sh
# The strip CPack runs on the installed programs (CMAKE_STRIP of the package build): also drops
# the compiler's .comment and .note sections, as Debian's own dh_strip does.
exec strip --remove-section=.comment --remove-section=.note "$@"
