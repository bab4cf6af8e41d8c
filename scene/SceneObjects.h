// What the scene modules share: the object tables' entries and the locked
// child-list changes of the two roots.  Not for callers outside scene/.
#pragma once

#include "SceneManager.h"

#include <osg/Node>

bool SceneTableContains(SceneObjectTable *table, const void *object);

// Adds the entry object -> group, which takes one reference on the group.
// False when the entry cannot be stored; then nothing is kept.
bool SceneTableAdd(SceneObjectTable *table, void *object, osg::Group *group);

// Removes the object's entry; when there was one, removes its group from
// SceneRoot under ModelSceneMutex, then drops the entry's reference.
void SceneTableHide(SceneObjectTable *table, void *object);

// Adds one child to SceneRoot under ModelSceneMutex.
void SceneAddToModel(osg::Node *node);

// Under SectionSceneMutex: removes every child of a section-view group, then
// adds child unless it is null.
void SceneReplaceSectionGroup(osg::Group *group, osg::Node *child);
