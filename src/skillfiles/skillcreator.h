#pragma once

#include "result.h"
#include "toolsource.h"

#include <QByteArray>
#include <QList>
#include <QString>

class ModelContext;
class Skill;

// Makes a new skill: a file filled from a template in the chosen tool's global
// folder, and its record in the store. The new-skill sheet and `quire new`
// both run this; selecting the record is the caller's business.
class SkillCreator final
{
public:
    static QString invalidNameMessage();
    static QString duplicateMessage();

    struct Target
    {
        QString folder;
        QString file;
        bool isDirectory = true;
    };

    // The name as used in paths: lower-cased, spaces as hyphens, and nothing
    // but Unicode letters, numbers and hyphens kept, so it is always a single
    // path component. Empty when nothing usable was typed.
    static QString folderName(const QString &skillName);
    // The name written into the frontmatter: lower-cased, spaces as hyphens.
    static QString frontmatterSlug(const QString &skillName);
    static Target target(const QString &folderName, ToolSource tool, const QString &homePath);
    static QString skillTemplate(const QString &skillName, ToolSource tool);

    // The tools a new skill can be made for from the window: all but Custom.
    static QList<ToolSource> offeredTools();
    // preferred when it is offered, else Claude Code.
    static ToolSource initialTool(ToolSource preferred);

    // Never replaces anything: the file is written beside its target and then
    // linked into place, which fails when a file (or a link) got there first.
    static Status writeNewFile(const QString &path, const QByteArray &bytes);

    // The record made, inserted and saved; or the message to show. A failed
    // save leaves the file and the unsaved record in place, and its error
    // (code Store) says the file was created.
    static Result<Skill *> createSkill(
        const QString &skillName, ToolSource tool, ModelContext &context, const QString &homePath);
    static Result<Skill *> createSkill(
        const QString &skillName, ToolSource tool, ModelContext &context);
};
