// The JNI calls of a complete build of the Java method tables, in order, as the fake JVM
// records them: each class found and held by a global reference, then its methods looked up
// (the command bars' methods in their own order).
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vanu_test {

inline const std::vector<std::string> kFullTableBuild = {
    "FindClass(vuradizode/ICommandBars)",
    "NewGlobalRef(local class vuradizode/ICommandBars)",
    "GetMethodID(global class vuradizode/ICommandBars, Add, (Ljava/lang/String;IZZ)Lvanuoffice/ICommandBar;)",
    "GetMethodID(global class vuradizode/ICommandBars, getActionControl, ()Lvanuoffice/ICommandBarControl;)",
    "GetMethodID(global class vuradizode/ICommandBars, getAdaptiveMenus, ()Z)",
    "GetMethodID(global class vuradizode/ICommandBars, setAdaptiveMenus, (Z)V)",
    "GetMethodID(global class vuradizode/ICommandBars, Item, (Ljava/lang/Object;)Lvanuoffice/ICommandBar;)",
    "GetMethodID(global class vuradizode/ICommandBars, FindControl, (IILjava/lang/String;Z)Lvanuoffice/ICommandBarControl;)",
    "FindClass(vuradizode/ICommandBar)",
    "NewGlobalRef(local class vuradizode/ICommandBar)",
    "GetMethodID(global class vuradizode/ICommandBar, getControls, ()Lvanuoffice/ICommandBarControls;)",
    "GetMethodID(global class vuradizode/ICommandBar, FindControl, (IILjava/lang/Object;ZZ)Lvanuoffice/ICommandBarControl;)",
    "GetMethodID(global class vuradizode/ICommandBar, setVisible, (Z)V)",
    "GetMethodID(global class vuradizode/ICommandBar, getVisible, ()Z)",
    "FindClass(vuradizode/ICommandBarControls)",
    "NewGlobalRef(local class vuradizode/ICommandBarControls)",
    "GetMethodID(global class vuradizode/ICommandBarControls, Add, (IILjava/lang/String;IZ)Lvanuoffice/ICommandBarControl;)",
    "GetMethodID(global class vuradizode/ICommandBarControls, Item, (I)Lvanuoffice/ICommandBarControl;)",
    "GetMethodID(global class vuradizode/ICommandBarControls, getCount, ()I)",
    "FindClass(vuradizode/ICommandBarControl)",
    "NewGlobalRef(local class vuradizode/ICommandBarControl)",
    "GetMethodID(global class vuradizode/ICommandBarControl, getCaption, ()Ljava/lang/String;)",
    "GetMethodID(global class vuradizode/ICommandBarControl, setCaption, (Ljava/lang/String;)V)",
    "GetMethodID(global class vuradizode/ICommandBarControl, getEnabled, ()Z)",
    "GetMethodID(global class vuradizode/ICommandBarControl, setEnabled, (Z)V)",
    "GetMethodID(global class vuradizode/ICommandBarControl, getIndex, ()I)",
    "GetMethodID(global class vuradizode/ICommandBarControl, getVisible, ()Z)",
    "GetMethodID(global class vuradizode/ICommandBarControl, setVisible, (Z)V)",
    "GetMethodID(global class vuradizode/ICommandBarControl, Execute, ()V)",
};

// The calls of a complete build up to and including the first one whose text starts with
// `last`; the whole build (and a test failure) when none does.
inline std::vector<std::string> FullTableBuildThrough(const std::string& last) {
  std::vector<std::string> out;
  for (const std::string& text : kFullTableBuild) {
    out.push_back(text);
    if (text.compare(0, last.size(), last) == 0) return out;
  }
  ADD_FAILURE() << "no call " << last;
  return out;
}

// The calls of a complete build from the first one whose text starts with `first`; none
// (and a test failure) when none does.
inline std::vector<std::string> FullTableBuildFrom(const std::string& first) {
  for (auto it = kFullTableBuild.begin(); it != kFullTableBuild.end(); ++it) {
    if (it->compare(0, first.size(), first) == 0) return {it, kFullTableBuild.end()};
  }
  ADD_FAILURE() << "no call " << first;
  return {};
}

}  // namespace vanu_test
