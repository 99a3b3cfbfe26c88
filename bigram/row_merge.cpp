// Backwards merge of new pairs into the successor rows. Slots are filled from
// the top of the grown range downwards, so no old slot is overwritten unread.
#include "bigram/model_object.h"
#include "bigram/score_codes.h"
#include "bigram/score_edit.h"

namespace vantir {

namespace {

struct MergeCursor {
    int32_t write;    // next slot to write
    int32_t oldRead;  // next old slot to read
    int32_t newRead;  // next new pair to read
    int64_t scoreSum;
};

void WriteNewPair(BigramModel* model, NewPairs pairs, MergeCursor* cursor) {
    int32_t score = pairs.scores[cursor->newRead];
    SetSuccessorAt(model, cursor->write, pairs.second[cursor->newRead]);
    model->bigramBytes[cursor->write] = ScoreToByte(score);
    cursor->scoreSum += score;
    --cursor->newRead;
    --cursor->write;
}

void MoveOldSlot(BigramModel* model, MergeCursor* cursor) {
    uint8_t byte = model->bigramBytes[cursor->oldRead];
    SetSuccessorAt(model, cursor->write, SuccessorAt(model, cursor->oldRead));
    model->bigramBytes[cursor->write] = byte;
    cursor->scoreSum += ByteToScore(byte);
    --cursor->oldRead;
    --cursor->write;
}

bool NextNewPairInRow(NewPairs pairs, const MergeCursor& cursor, int32_t word) {
    return cursor.newRead >= 0 && pairs.first[cursor.newRead] == word;
}

// Rebuilds the row of word from its top end: the larger of the next old
// successor and the next new one goes first.
void MergeRow(BigramModel* model, NewPairs pairs, MergeCursor* cursor, int32_t word) {
    int32_t oldRowBegin = RowStartOf(model, word);
    while (cursor->oldRead >= oldRowBegin) {
        if (NextNewPairInRow(pairs, *cursor, word) &&
            SuccessorAt(model, cursor->oldRead) < pairs.second[cursor->newRead]) {
            WriteNewPair(model, pairs, cursor);
        } else {
            MoveOldSlot(model, cursor);
        }
    }
    while (NextNewPairInRow(pairs, *cursor, word))
        WriteNewPair(model, pairs, cursor);
    SetRowStartOf(model, word, cursor->write + 1);
}

}  // namespace

void MergeNewPairs(BigramModel* model, NewPairs pairs, int32_t count) {
    int32_t wordCount = WordCount(model);
    int32_t total = model->pairCount + count;
    SetRowStartOf(model, wordCount, total);
    MergeCursor cursor{total - 1, model->pairCount - 1, count - 1, 0};
    for (int32_t word = wordCount - 1; word >= -1; --word)
        MergeRow(model, pairs, &cursor, word);

    if (total > 0) model->bigramMean = static_cast<int32_t>(cursor.scoreSum / total);
    model->pairCount = total;
    model->sparePairs -= count;
    WriteBlobCount(model, kPairCountOffset, model->pairCount);
    WriteBlobCount(model, kSparePairsOffset, model->sparePairs);
    WriteBlobCount(model, kBigramMeanOffset, model->bigramMean);
}

}  // namespace vantir
